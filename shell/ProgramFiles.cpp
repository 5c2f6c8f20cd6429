#include "shell/ProgramFiles.h"

#include "core/FileIO.h"
#include "core/HostPath.h"
#include "widgets/Art.h"

#include <filesystem>
#include <span>

namespace tarrowin {

void ensureProgramFiles(const std::string& programFolder) {
    for (const char* name : {"Data.ico", "windows.ico", "user.ico"}) {
        const std::filesystem::path target = hostPath(programFolder + "\\" + name);
        std::error_code ec;
        if (std::filesystem::exists(target, ec)) continue;
        const QByteArray bytes = artFile(QString::fromLatin1(name));
        if (bytes.isEmpty()) continue;
        std::filesystem::create_directories(target.parent_path(), ec);
        writeFileAtomic(target, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                          static_cast<std::size_t>(bytes.size())));
    }
}

} // namespace tarrowin
