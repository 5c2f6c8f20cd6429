#include "platform/PrefixSeed.h"

namespace tarrowin {

namespace {

struct ClassSeed {
    const char* clsid;
    const char* valueName; // of the DefaultIcon value ("" = the default value)
    const char* icon;      // the icon reference as Windows installs it; W = Windows folder
    const char* name;      // the class's name (its key's default value)
};

// The icon texts are those the Default command stores, so that every marker reads
// "still the default" on a fresh environment.
constexpr ClassSeed kClasses[] = {
    {"{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "", "%systemroot%\\explorer.exe,0", "My Computer"},
    {"{208D2C60-3AEA-1069-A2D7-08002B30309D}", "", "%systemroot%\\system32\\shell32.dll,17", "My Network Places"},
    {"{450D8FBA-AD25-11D0-98A8-0800361B1103}", "", "%systemroot%\\system32\\mydocs.dll,0", "My Documents"},
    {"{85BBD920-42A0-1069-A2E4-08002B30309D}", "", "%systemroot%\\system32\\syncui.dll,0", "Briefcase"},
    {"{645FF040-5081-101B-9F08-00AA002F954E}", "", "%systemroot%\\system32\\shell32.dll,31", "Recycle Bin"},
    {"{645FF040-5081-101B-9F08-00AA002F954E}", "Empty", "%systemroot%\\system32\\shell32.dll,31", nullptr},
    {"{645FF040-5081-101B-9F08-00AA002F954E}", "Full", "%systemroot%\\system32\\shell32.dll,32", nullptr},
    {"{871C5380-42A0-1069-A2EA-08002B30309D}", "", "shdoclc.dll,-190", "Internet Explorer"},
    {"{992CFFA0-F557-101A-88EC-00DD010CCC48}", "", "%systemroot%\\system32\\netshell.dll,0", "Network Connections"},
    {"{21EC2020-3AEA-1069-A2DD-08002B30309D}", "", "%SystemRoot%\\System32\\shell32.dll,-137", "Control Panel"},
    {"{2227A280-3AEA-1069-A2DE-08002B30309D}", "", "%systemroot%\\system32\\shell32.dll,16", "Printers and Faxes"},
    {"{7BD29E00-76C1-11CF-9DD0-00A0C9034933}", "", "%SystemRoot%\\System32\\shdocvw.dll,-20780", "Temporary Internet Files"},
    {"{88C6C381-2E85-11D0-94DE-444553540000}", "", "%systemroot%\\system32\\occache.dll,0", "ActiveX Cache Folder"},
    {"{D6277990-4C6A-11CF-8D87-00AA0060F5BF}", "", "W" "System32\\mstask.dll,-100", "Scheduled Tasks"},
    {"{FF393560-C2A7-11CF-BFF4-444553540000}", "", "%SystemRoot%\\System32\\shdocvw.dll,-20785", "History"},
    {"{BDEADF00-C265-11D0-BCED-00A0C90AB50F}", "", "c:\\progra~1\\common~1\\micros~1\\webfol~1\\msonsext.dll,0", "Web Folders"},
};

struct NameSeed {
    const char* key;
    const char* value;
    const char* text;
};

constexpr const char* kMui = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
constexpr const char* kMui2 = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache2";

constexpr NameSeed kNames[] = {
    {kMui, "@C:\\WINDOWS\\system32\\SHELL32.dll,-9216", "My Computer"},
    {kMui, "@C:\\WINDOWS\\system32\\SHELL32.dll,-22913",
     "Gives access to, and information about, the disks, cameras, scanners, and other hardware connected to "
     "your computer."},
    {kMui, "@C:\\WINDOWS\\system32\\SHELL32.dll,-9217", "My Network Places"},
    {kMui2, "@C:\\WINDOWS\\system32\\SHELL32.dll,-9227", "My Documents"},
    {kMui, "@C:\\WINDOWS\\system32\\SHELL32.dll,-22914", "Stores and manages documents"},
    {kMui, "@C:\\WINDOWS\\system32\\SHELL32.dll,-8964", "Recycle Bin"},
    {kMui, "@C:\\Program Files\\Internet Explorer\\iexplore.exe,-702", "Internet Explorer"},
    {kMui, "@shdoclc.dll,-881", "Finds and displays information and Web sites on the Internet."},
    {kMui, "@C:\\WINDOWS\\system32\\netshell.dll,-1200", "Network Connections"},
};

bool seedValue(RegistryHive& hive, const std::string& key, const std::string& name, const std::string& text,
               std::int64_t unixTime) {
    const KeyPath path = splitKeyPath(key);
    const std::u16string wname(name.begin(), name.end());
    if (hive.value(path, wname)) return false;
    // Texts holding %...% are expandable strings on Windows.
    const std::uint32_t type = text.find('%') != std::string::npos ? kRegExpandSz : kRegSz;
    return hive.setValue(path, wname, makeStringValue(text, type), unixTime);
}

} // namespace

bool seedMachineHive(RegistryHive& hive, const std::string& windowsFolder, std::int64_t unixTime) {
    bool changed = false;
    for (const ClassSeed& c : kClasses) {
        const std::string classKey = std::string("Software\\Classes\\CLSID\\") + c.clsid;
        std::string icon = c.icon;
        if (icon.rfind('W', 0) == 0 && icon.size() > 1 && icon[1] == 'S') icon = windowsFolder + icon.substr(1);
        changed |= seedValue(hive, classKey + "\\DefaultIcon", c.valueName, icon, unixTime);
        if (c.name) changed |= seedValue(hive, classKey, "", c.name, unixTime);
    }
    return changed;
}

bool seedUserHive(RegistryHive& hive, std::int64_t unixTime) {
    bool changed = false;
    for (const NameSeed& n : kNames) changed |= seedValue(hive, n.key, n.value, n.text, unixTime);
    return changed;
}

} // namespace tarrowin
