#include "cli/CommandLine.h"

#include "core/FileIO.h"
#include "icon/PeResourceWriter.h"
#include "icon/cFileIcon.h"
#include "support/IconBuilder.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

using namespace tarrowin;
using namespace tarrowin::testing;
namespace fs = std::filesystem;

namespace {

PeIconImage image(int size, int bits, std::uint32_t argb = 0xff336699) {
    PeIconImage im;
    if (bits == 32) {
        im.record = solidRecord32(size, argb);
    } else {
        std::vector<std::uint32_t> table(256, 0x808080);
        im.record = bitmapRecord(size, size, 8, table, {}, {});
    }
    im.entry.bWidth = static_cast<std::uint8_t>(size);
    im.entry.bHeight = static_cast<std::uint8_t>(size);
    im.entry.wPlanes = 1;
    im.entry.wBitCount = static_cast<std::uint16_t>(bits);
    im.entry.dwBytesInRes = static_cast<std::int32_t>(im.record.size());
    return im;
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = runCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        PeResourceWriter writer;
        writer.addIconGroup(PeName{std::uint16_t{101}}, 1033, {image(16, 32), image(32, 32), image(48, 8)});
        writer.addIconGroup(PeName{std::uint16_t{102}}, 1033, {image(16, 8)});
        writer.addIconGroup(PeName{std::string("Main")}, 1033, {image(24, 32)});
        m_dll = path("library.dll");
        ASSERT_EQ(writeFileAtomic(m_dll, writer.build()), WriteResult::Ok);
    }
    std::string path(const std::string& name) const { return m_dir.filePath(QString::fromStdString(name)).toStdString(); }

    QTemporaryDir m_dir;
    std::string m_dll;
};

} // namespace

TEST_F(CommandLineTest, ListShowsEveryGroupInResourceOrder) {
    const Outcome r = run({"list", m_dll});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\tMAIN\t1\t24x24@32\n"
                     "2\t101\t3\t16x16@32\t32x32@32\t48x48@8\n"
                     "3\t102\t1\t16x16@8\n");
    EXPECT_TRUE(r.err.empty());
}

TEST_F(CommandLineTest, ExtractWritesGroupsAndChosenImages) {
    Outcome r = run({"extract", m_dll, "-o", path("one.ico"), "--group", "101", "--images", "3,1"});
    ASSERT_EQ(r.status, 0) << r.err;
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(path("one.ico")));
    ASSERT_EQ(icon.ImageCount(), 2); // the icon's own order, not the order asked
    EXPECT_EQ(icon.ImageWidth(1), 16);
    EXPECT_EQ(icon.ImageWidth(2), 48);

    r = run({"extract", m_dll, "-o", path("named.ico"), "--group", "main"});
    ASSERT_EQ(r.status, 0) << r.err;

    r = run({"extract", m_dll, "-o", path("all")});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"101.ico", "102.ico", "MAIN.ico"}) EXPECT_TRUE(fs::exists(path("all/") + name)) << name;

    // An .ico file keeps its own name rather than becoming a hidden ".ico".
    r = run({"extract", path("one.ico"), "-o", path("fromico")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(path("fromico/one.ico")));
}

TEST_F(CommandLineTest, ExtractNeverOverwritesUnlessForced) {
    ASSERT_EQ(run({"extract", m_dll, "-o", path("all")}).status, 0);
    const std::vector<std::uint8_t> mine = {1, 2, 3};
    ASSERT_EQ(writeFileAtomic(path("all/102.ico"), mine), WriteResult::Ok);
    fs::remove(path("all/101.ico"));
    fs::remove(path("all/MAIN.ico"));
    const Outcome r = run({"extract", m_dll, "-o", path("all")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("102.ico exists"), std::string::npos) << r.err;
    EXPECT_EQ(readWholeFile(path("all/102.ico")), mine);
    EXPECT_FALSE(fs::exists(path("all/101.ico"))); // nothing written when one is refused
    EXPECT_EQ(run({"extract", m_dll, "-o", path("all"), "--force"}).status, 0);
    EXPECT_NE(readWholeFile(path("all/102.ico")), mine);
}

TEST_F(CommandLineTest, GroupsThatWouldShareAFileAreRefused) {
    PeResourceWriter writer;
    writer.addIconGroup(PeName{std::uint16_t{101}}, 1033, {image(16, 32, 0xff0000ff)});
    writer.addIconGroup(PeName{std::string("101")}, 1033, {image(16, 32, 0xffff0000)});
    ASSERT_EQ(writeFileAtomic(path("twins.dll"), writer.build()), WriteResult::Ok);
    const Outcome r = run({"extract", path("twins.dll"), "-o", path("twins")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("would both be written"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path("twins/101.ico")));
    // A number names the numbered group, not the one named by those digits.
    ASSERT_EQ(run({"extract", path("twins.dll"), "-o", path("n.ico"), "--group", "101"}).status, 0);
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(path("n.ico")));
    EXPECT_EQ(icon.imageRecord(1)[40], 0xff); // blue of the numbered group
}

TEST_F(CommandLineTest, ErrorsAreOneLineNamingTheFile) {
    const std::vector<std::uint8_t> text = {'n', 'o', 'p', 'e'};
    ASSERT_EQ(writeFileAtomic(path("text.dll"), text), WriteResult::Ok);
    // A link that points at itself, and a named pipe: errors, not a crash or a hang.
    fs::create_symlink(path("loop.ico"), path("loop.ico"));
    ASSERT_EQ(::mkfifo(path("pipe.ico").c_str(), 0600), 0);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string mentions;
    } cases[] = {
        {{"list", path("missing.dll")}, 1, "missing.dll"},
        {{"list", path("text.dll")}, 1, "text.dll"},
        {{"extract", m_dll, "-o", path("x.ico"), "--group", "999"}, 1, "no icon group 999"},
        {{"extract", m_dll, "-o", path("x.ico"), "--group", "102", "--images", "2"}, 1, "no image 2"},
        {{"extract", m_dll, "-o", path("x.ico"), "--images", "a"}, 1, "--images"},
        {{"create", path("missing.png"), "-o", path("x.ico")}, 1, "missing.png"},
        {{"create", m_dll, "-o", path("x.ico"), "--transparent", "red"}, 1, "RRGGBB"},
        {{"list"}, 1, "exactly one FILE"},
        {{"list", path("loop.ico")}, 1, "loop.ico"},
        {{"list", path("pipe.ico")}, 1, "pipe.ico"},
        {{"extract", m_dll, "-o", path("loop.ico") + "/out"}, 1, "loop.ico"},
        {{"frobnicate"}, 2, "unknown command"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
        if (c.status == 1) {
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_FALSE(fs::exists(path("x.ico")));
}

TEST_F(CommandLineTest, CreateMakesTheAskedSizesAndKeepsPictureAlpha) {
    QImage opaque(40, 20, QImage::Format_RGB32);
    opaque.fill(qRgb(255, 255, 255));
    for (int x = 10; x < 30; ++x)
        for (int y = 5; y < 15; ++y) opaque.setPixel(x, y, qRgb(200, 0, 0));
    ASSERT_TRUE(opaque.save(QString::fromStdString(path("opaque.bmp"))));
    Outcome r = run({"create", path("opaque.bmp"), "-o", path("made.ico"), "--sizes", "32,20x10"});
    ASSERT_EQ(r.status, 0) << r.err;
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(path("made.ico")));
    ASSERT_EQ(icon.ImageCount(), 2);
    EXPECT_EQ(icon.ImageWidth(2), 20);
    EXPECT_EQ(icon.ImageHeight(2), 10);
    // The white background (the top-left colour) became transparent: a corner pixel of image 1.
    EXPECT_EQ(icon.imageRecord(1)[40 + 3], 0);

    // A picture with its own alpha keeps it; nothing else is made transparent.
    QImage alpha(32, 32, QImage::Format_ARGB32);
    alpha.fill(qRgba(255, 255, 255, 255));
    alpha.setPixel(0, 31, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(alpha.save(QString::fromStdString(path("alpha.png"))));
    r = run({"create", path("alpha.png"), "-o", path("alpha.ico"), "--sizes", "32"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(icon.LoadIcon(path("alpha.ico")));
    const Bytes rec = icon.imageRecord(1);
    EXPECT_EQ(rec[40 + 3], 0);       // bottom-left pixel: its own alpha 0
    EXPECT_EQ(rec[40 + 4 + 3], 255); // white next to it stays opaque
    EXPECT_EQ(rec[40 + 4 + 2], 255);
}

TEST_F(CommandLineTest, TheProgramRunsVerbsWithoutADisplay) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TARROWIN_EXE), {QStringLiteral("list"), QString::fromStdString(m_dll)});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().startsWith("1\tMAIN\t1\t24x24@32\n"));
    p.start(QStringLiteral(TARROWIN_EXE), {QStringLiteral("list"), QString::fromStdString(path("nothing.ico"))});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
