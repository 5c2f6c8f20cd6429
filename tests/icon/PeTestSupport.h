#pragma once

// Fixtures for the executable-resource tests: icon records with recognisable
// bytes, DLLs from our writer or from GNU windres and ld, and the external tools.

#include "core/FileIO.h"
#include "icon/PeResourceWriter.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace tarrowin::petest {

using ByteVec = std::vector<std::uint8_t>;

// An uncompressed record of w x h at `bits`, its pixel bytes a pattern seeded by
// `seed` so that every image of a fixture differs.
inline ByteVec record(int w, int h, int bits, int seed = 0) {
    const auto stride = [](int b) { return ((b + 31) / 32) * 4; };
    const int colours = bits <= 8 ? (1 << bits) : 0;
    ByteVec r(static_cast<std::size_t>(40 + 4 * colours + h * stride(w * bits) + h * stride(w)), 0);
    putLe32(r.data(), 40);
    putLe32(r.data() + 4, static_cast<std::uint32_t>(w));
    putLe32(r.data() + 8, static_cast<std::uint32_t>(2 * h));
    putLe16(r.data() + 12, 1);
    putLe16(r.data() + 14, static_cast<std::uint16_t>(bits));
    for (std::size_t i = 40; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(seed) * 13) % 251);
    return r;
}

inline PeIconImage image(int w, int h, int bits, int seed = 0) {
    PeIconImage im;
    im.entry.bWidth = static_cast<std::uint8_t>(w);
    im.entry.bHeight = static_cast<std::uint8_t>(h);
    im.entry.bColorCount = static_cast<std::uint8_t>(bits == 1 ? 2 : bits == 4 ? 16 : 0);
    im.entry.wPlanes = 1;
    im.entry.wBitCount = static_cast<std::uint16_t>(bits);
    im.record = record(w, h, bits, seed);
    im.entry.dwBytesInRes = static_cast<std::int32_t>(im.record.size());
    return im;
}

// A "PNG" image as stored for 256-pixel icons: the signature and opaque bytes.
inline PeIconImage pngImage(std::size_t size, int seed) {
    PeIconImage im;
    im.entry.wPlanes = 1;
    im.entry.wBitCount = 32;
    im.record = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (std::size_t i = im.record.size(); i < size; ++i)
        im.record.push_back(static_cast<std::uint8_t>((i + static_cast<std::size_t>(seed)) % 253));
    im.entry.dwBytesInRes = static_cast<std::int32_t>(im.record.size());
    return im;
}

// The .ico file of a group, records back to back.
inline ByteVec icoOf(const std::vector<PeIconImage>& images) {
    ByteVec f(6 + 16 * images.size(), 0);
    putLe16(f.data() + 2, 1);
    putLe16(f.data() + 4, static_cast<std::uint16_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        IconDirEntry d = images[i].entry;
        d.dwBytesInRes = static_cast<std::int32_t>(images[i].record.size());
        d.dwImageOffset = static_cast<std::uint32_t>(f.size());
        writeIconDirEntry(f.data() + 6 + 16 * i, d);
        f.insert(f.end(), images[i].record.begin(), images[i].record.end());
    }
    return f;
}

class TempDir {
public:
    TempDir() {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("tarrowin-pe-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    std::string write(const std::string& name, const ByteVec& bytes) const {
        EXPECT_EQ(writeFileAtomic(m_path / name, bytes), WriteResult::Ok);
        return file(name);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Runs a shell command; its standard output, or nullopt when it failed.
inline std::optional<std::string> run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>/dev/null").c_str(), "r"), ::pclose);
    if (!pipe) return std::nullopt;
    std::string out;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe.get())) > 0) out.append(buf.data(), n);
    if (::pclose(pipe.release()) != 0) return std::nullopt;
    return out;
}

inline bool haveTool(const std::string& name) {
    return run("command -v " + name).has_value();
}

} // namespace tarrowin::petest
