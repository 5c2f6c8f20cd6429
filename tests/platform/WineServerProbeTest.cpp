#include "platform/WineServerProbe.h"

#include "settings/Registry.h"
#include "settings/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarrowin;
using tarrowin::test::TempDir;
namespace fs = std::filesystem;

TEST(WineServerProbe, SeesAServerHoldingThePrefixLock) {
    TempDir dir("probe");
    const fs::path prefix = dir.path() / "prefix";
    const fs::path root = dir.path() / "wine-root";
    fs::create_directories(prefix);
    const auto name = WineServerProbe::serverFolderName(prefix);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->rfind("server-", 0), 0u);
    fs::create_directories(root / *name);
    const fs::path lockFile = root / *name / "lock";

    WineServerProbe probe(prefix, {root});
    EXPECT_EQ(probe.runningServer(), std::nullopt); // no lock file yet

    // Stand in for the server: a child holding the write lock on the first byte.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(lockFile.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_len = 1;
        const char ok = (fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0) ? 1 : 0;
        (void)::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(probe.runningServer(), child);
    ASSERT_TRUE(probe.writeRefusal());
    EXPECT_NE(probe.writeRefusal()->find("wineserver"), std::string::npos);

    // Writes through a store guarded by the probe are refused and say why.
    auto store = std::make_shared<RegistryStore>(prefix);
    store->setWriteGuard([&] { return probe.writeRefusal(); });
    setRegistryStore(store);
    RegistryCreatePath("HKEY_CURRENT_USER\\Software\\Tarrowin");
    EXPECT_FALSE(fs::exists(prefix / "user.reg"));
    EXPECT_NE(RegistryWriteProblem().find("Wine is running"), std::string::npos);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(probe.runningServer(), std::nullopt);
    RegistryCreatePath("HKEY_CURRENT_USER\\Software\\Tarrowin");
    EXPECT_TRUE(fs::exists(prefix / "user.reg"));
    setRegistryStore(nullptr);
}
