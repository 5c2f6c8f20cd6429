#include "cli/IconMakerCommand.h"

#include "cli/CommandFailure.h"
#include "creator/IconMaker.h"
#include "creator/WorkingPicture.h"
#include "platform/PictureReader.h"

#include <cctype>
#include <optional>
#include <ostream>

namespace tarrowin {

const char* const kCreateHelp =
    "Usage: tarrowin create PICTURE -o OUT.ico [--sizes 16,32,48,WxH,...] [--transparent auto|none|RRGGBB]\n"
    "Makes a 32-bit icon with alpha from PICTURE (bmp, dib, emf, gif, jpg, pbm, pcd, pcx, pgm, png, ppm,\n"
    "psd, rle, sgi, tga, tif, vda, vst, wbmp, wmf), one image per size. When OUT.ico exists, its other\n"
    "images are kept and images of the same sizes are replaced.\n"
    "  --sizes LIST         sizes in pixels, N for N x N or WxH, each 1 to 255 (default 16,32,48)\n"
    "  --transparent MODE   auto: the colour of the top-left pixel becomes transparent, unless the\n"
    "                       picture has its own transparency (the default); none: no colour;\n"
    "                       RRGGBB: that colour (red, green, blue in hex)\n";

namespace {

std::optional<std::uint32_t> parseRgb(const std::string& text) {
    if (text.size() != 6) return std::nullopt;
    std::uint32_t rgb = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        rgb = rgb * 16 + static_cast<std::uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                        ? c - '0'
                                                        : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    }
    // Colours travel as 0xBBGGRR.
    return ((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff);
}

} // namespace

int runCreate(const std::vector<std::string>& args, std::ostream& out) {
    std::string picture, output, sizesText = "16,32,48", transparent = "auto";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw CommandFailure(a + " needs a value (see tarrowin create --help).");
            return args[++i];
        };
        if (a == "-o" || a == "--output") output = value();
        else if (a == "--sizes") sizesText = value();
        else if (a == "--transparent") transparent = value();
        else if (!a.empty() && a[0] == '-') throw CommandFailure("unknown option " + a + " (see tarrowin create --help).");
        else if (picture.empty()) picture = a;
        else throw CommandFailure("create takes one PICTURE (see tarrowin create --help).");
    }
    if (picture.empty() || output.empty())
        throw CommandFailure("create needs PICTURE and -o OUT.ico (see tarrowin create --help).");

    std::string why;
    const auto sizes = parseIconSizes(sizesText, &why);
    if (!sizes) throw CommandFailure(why);
    std::optional<std::uint32_t> chosenColour;
    if (transparent != "auto" && transparent != "none") {
        chosenColour = parseRgb(transparent);
        if (!chosenColour)
            throw CommandFailure("--transparent takes auto, none or a colour as RRGGBB in hex, not \"" + transparent + "\".");
    }

    const PictureReadResult read = readPicture(QString::fromStdString(picture));
    if (!read.ok()) throw CommandFailure(read.error.toStdString());
    // A picture with its own transparency keeps it; others are made opaque.
    cAlphaDIBSection working = workingPictureFrom(read.image, read.hasAlpha);
    if (working.IsEmpty()) throw CommandFailure(picture + ": the picture is too large to work on.");

    std::optional<std::uint32_t> colour = chosenColour;
    if (transparent == "auto" && !read.hasAlpha) colour = topLeftColour(working);
    if (colour) working.SetColourTransparent(*colour);

    const IconFileResult result = createIconFile(output, working, *sizes, colour.value_or(0));
    if (!result.ok) throw CommandFailure(output + ": " + result.message);
    out << output << '\n';
    return 0;
}

} // namespace tarrowin
