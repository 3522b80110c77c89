#include "themepacks.h"

#include "anifile.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRoles = 17;

// The registry's names of the roles, in the order of a scheme's positions.
const char* const kRoleNames[kRoles] = {
    "Arrow",   "Help",    "AppStarting", "Wait",   "Crosshair", "IBeam",
    "NWPen",   "No",      "SizeNS",      "SizeWE", "SizeNWSE",  "SizeNESW",
    "SizeAll", "UpArrow", "Hand",        "Pin",    "Person"};
// The file names and [Strings] keys packs commonly use ("unavailiable" as many misspell it).
const char* const kStems[kRoles] = {"pointer",     "help",        "work", "busy", "cross", "text",
                                    "handwriting", "unavailable", "vert", "horz", "dgn1",  "dgn2",
                                    "move",        "alternate",   "link", "pin",  "person"};
const char* const kKeys[kRoles] = {"pointer", "help",         "work", "busy", "cross", "text",
                                   "hand",    "unavailiable", "vert", "horz", "dgn1",  "dgn2",
                                   "move",    "alternate",    "link", "pin",  "person"};

Rgba Hue(double degrees, double value)
{
    auto channel = [&](double offset) {
        const double d = std::fabs(std::fmod(degrees / 60 + offset, 6.0) - 3);
        return uint8_t(std::lround(255 * value * (0.3 + 0.7 * std::clamp(d - 1, 0.0, 1.0))));
    };
    return rgb(channel(0), channel(4), channel(2));
}

// A disk in the role's colour with a black rim and a white hand that turns from frame to frame.
// Palette art (odd roles) is painted hard in three colours; the others are smooth.
Grid<Rgba> RoleDrawing(int role, int tint, int frame, int size, bool hard)
{
    const double s = size / 32.0;
    const Rgba colour = Hue(role * 360.0 / kRoles + tint * 40, 0.9);
    const double turn = (frame * 90 + role * 7) * kPi / 180;
    const Shape rim = Circle(16 * s, 16 * s, 13 * s), disk = Circle(16 * s, 16 * s, 11 * s);
    const Shape hand = Segment(16 * s, 16 * s, (16 + 9 * std::sin(turn)) * s,
                               (16 - 9 * std::cos(turn)) * s, 3 * s);
    Grid<Rgba> g(size, size, kClear);
    if (hard) {
        Paint(g, rim, rgb(0, 0, 0));
        Paint(g, disk, colour);
        Paint(g, hand, rgb(255, 255, 255));
    } else {
        PaintSmooth(g, rim, rgb(0, 0, 0));
        PaintSmooth(g, disk, colour);
        PaintSmooth(g, hand, rgb(255, 255, 255));
    }
    return g;
}

IconImage RoleImage(int role, int tint, int frame, int size)
{
    const bool hard = role % 2 == 1;
    const Grid<Rgba> drawing = RoleDrawing(role, tint, frame, size, hard);
    IconImage image = hard ? MakePaletted(8,
                                          {rgb(0, 0, 0), rgb(255, 255, 255),
                                           Hue(role * 360.0 / kRoles + tint * 40, 0.9)},
                                          drawing)
                           : MakeAlpha32(drawing);
    // Every role points somewhere else, so a file given the wrong role shows.
    image.hotX = (2 + role) * size / 32;
    image.hotY = (2 + role * 5 % 28) * size / 32;
    return image;
}

enum class Encoding { Ascii, Utf8, Utf8Bom, Utf16LeBom, Utf16Be, Cp1252, Gbk };

std::u32string CodePoints(const std::string& utf8)
{
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = uint8_t(utf8[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t v = n == 1 ? c : c & (0x3F >> (n - 1));
        for (int k = 1; k < n; ++k)
            v = (v << 6) | (uint8_t(utf8.at(i + size_t(k))) & 0x3F);
        out += v;
        i += size_t(n);
    }
    return out;
}

// The few Chinese words the packs use, in GBK as a Chinese Windows writes them.
const std::pair<const char*, std::vector<uint8_t>> kGbkWords[] = {
    {"光标", {0xB9, 0xE2, 0xB1, 0xEA}},
    {"主题", {0xD6, 0xF7, 0xCC, 0xE2}},
    {"正常选择", {0xD5, 0xFD, 0xB3, 0xA3, 0xD1, 0xA1, 0xD4, 0xF1}},
};

std::vector<uint8_t> Encode(const std::string& text, Encoding encoding)
{
    std::vector<uint8_t> out;
    switch (encoding) {
    case Encoding::Utf8Bom:
        out = {0xEF, 0xBB, 0xBF};
        [[fallthrough]];
    case Encoding::Ascii:
    case Encoding::Utf8:
        out.insert(out.end(), text.begin(), text.end());
        return out;
    case Encoding::Utf16LeBom:
    case Encoding::Utf16Be: {
        const bool big = encoding == Encoding::Utf16Be;
        if (!big)
            out = {0xFF, 0xFE};
        for (char32_t c : CodePoints(text)) {
            if (c > 0xFFFF)
                throw std::invalid_argument("the packs keep to the basic plane");
            const uint8_t high = uint8_t(c >> 8), low = uint8_t(c);
            out.insert(out.end(), big ? std::initializer_list<uint8_t>{high, low}
                                      : std::initializer_list<uint8_t>{low, high});
        }
        return out;
    }
    case Encoding::Cp1252:
        for (char32_t c : CodePoints(text)) {
            if (c > 0xFF || (c >= 0x80 && c < 0xA0))
                throw std::invalid_argument("not a Latin-1 letter of Windows-1252");
            out.push_back(uint8_t(c));
        }
        return out;
    case Encoding::Gbk:
        break;
    }
    for (size_t i = 0; i < text.size();) {
        bool word = false;
        for (const auto& [utf8, gbk] : kGbkWords)
            if (text.compare(i, std::char_traits<char>::length(utf8), utf8) == 0) {
                out.insert(out.end(), gbk.begin(), gbk.end());
                i += std::char_traits<char>::length(utf8);
                word = true;
                break;
            }
        if (word)
            continue;
        if (uint8_t(text[i]) >= 0x80)
            throw std::invalid_argument("a word the GBK packs do not know");
        out.push_back(uint8_t(text[i++]));
    }
    return out;
}

// Line ends as Windows writes them.
std::string Crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// One position of a scheme: the file named there and where it lies in the pack.
struct Position
{
    std::string key;      // the [Strings] key ("" writes the name straight into the value)
    std::string written;  // the name as the .inf writes it ("" leaves the position empty)
    std::string disk;     // the file's path in the pack; "" when it is missing
    bool damaged = false; // the file is there but cut short
};

// The .inf most packs carry: the scheme's value built from %10%\%CUR_DIR%\%key%.
std::string StandardInf(const std::string& name, const std::vector<Position>& positions,
                        bool quoted = true, const std::string& preamble = "")
{
    const std::string q = quoted ? "\"" : "";
    std::string value, strings, copies;
    for (size_t i = 0; i < positions.size(); ++i) {
        const Position& p = positions[i];
        value += i ? "," : "";
        if (p.written.empty())
            continue;
        if (p.key.empty()) {
            value += "%10%\\%CUR_DIR%\\" + p.written;
            continue;
        }
        value += "%10%\\%CUR_DIR%\\%" + p.key + "%";
        strings += p.key + " = " + q + p.written + q + "\n";
        copies += q + p.written + q + "\n";
    }
    return preamble + "[Version]\nsignature=\"$CHICAGO$\"\n\n[DefaultInstall]\n" +
           "CopyFiles = Scheme.Cur\nAddReg    = Scheme.Reg\n\n[DestinationDirs]\n" +
           "Scheme.Cur = 10,\"%CUR_DIR%\"\n\n[Scheme.Reg]\n" +
           "HKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",," + q + value + q +
           "\n\n[Scheme.Cur]\n" + copies + "\n[Strings]\nCUR_DIR = " + q + "Cursors\\" + name + q +
           "\nSCHEME_NAME = " + q + name + q + "\n" + strings;
}

class Packs
{
public:
    // Seventeen positions, each named "<stem>.ani" in the .inf and on disk.
    static std::vector<Position> AllRoles(const std::string& extension = ".ani")
    {
        std::vector<Position> positions;
        for (int r = 0; r < kRoles; ++r)
            positions.push_back(
                {kKeys[r], std::string(kStems[r]) + extension, std::string(kStems[r]) + extension});
        return positions;
    }

    void begin(const std::string& folder, const std::string& argument, int exitCode, int themes)
    {
        folder_ = folder;
        tint_++;
        expected_ << "pack\t" << folder << '\t' << argument << '\t' << exitCode << '\n';
        expected_ << "themes\t" << folder << '\t' << themes << '\n';
    }

    void file(const std::string& path, std::vector<uint8_t> bytes)
    {
        out_.files.push_back({folder_ + "/" + path, std::move(bytes)});
    }

    void cursor(const std::string& path, int role)
    {
        const bool still = path.size() > 4 && (path.substr(path.size() - 4) == ".cur" ||
                                               path.substr(path.size() - 4) == ".CUR");
        file(path, still ? RoleStill(role, tint_) : RoleAnimation(role, tint_));
    }

    void inf(const std::string& path, const std::string& text, Encoding encoding,
             bool windowsLines = true)
    {
        file(path, Encode(windowsLines ? Crlf(text) : text, encoding));
    }

    // The files on disk and what the report must say of each position of `theme`.
    void scheme(const std::string& theme, const std::vector<Position>& positions)
    {
        for (int r = 0; r < kRoles; ++r) {
            const Position* p = size_t(r) < positions.size() ? &positions[size_t(r)] : nullptr;
            if (!p || p->written.empty())
                expect("unset", theme, kRoleNames[r]);
            else if (p->disk.empty())
                expect("missing", theme, kRoleNames[r], Last(p->written));
            else if (p->damaged)
                expect("failed", theme, kRoleNames[r], p->disk);
            else
                expect("role", theme, kRoleNames[r], p->disk);
        }
    }

    void placeFiles(const std::vector<Position>& positions)
    {
        for (size_t r = 0; r < positions.size() && r < kRoles; ++r) {
            if (positions[r].disk.empty())
                continue;
            if (!positions[r].damaged) {
                cursor(positions[r].disk, int(r));
                continue;
            }
            std::vector<uint8_t> cut = RoleAnimation(int(r), tint_);
            cut.resize(cut.size() / 2);
            file(positions[r].disk, cut);
        }
    }

    void unmapped(const std::string& path, int role)
    {
        cursor(path, role);
        expected_ << "unmapped\t" << folder_ << '\t' << path << '\n';
    }

    void note(const std::string& words)
    {
        expected_ << "note\t" << folder_ << '\t' << words << '\n';
    }

    ThemePacks finish()
    {
        out_.expected = expected_.str();
        return std::move(out_);
    }

private:
    static std::string Last(const std::string& written)
    {
        const size_t slash = written.find_last_of("\\/");
        return slash == std::string::npos ? written : written.substr(slash + 1);
    }

    void expect(const char* kind, const std::string& theme, const char* role,
                const std::string& detail = "")
    {
        expected_ << kind << '\t' << folder_ << '\t' << theme << '\t' << role;
        if (!detail.empty())
            expected_ << '\t' << detail;
        expected_ << '\n';
    }

    ThemePacks out_;
    std::ostringstream expected_;
    std::string folder_;
    int tint_ = 0;
};

} // namespace

std::vector<uint8_t> RoleAnimation(int role, int tint)
{
    Animation a;
    for (int frame = 0; frame < 4; ++frame) {
        std::vector<IconImage> icon = {RoleImage(role, tint, frame, 32)};
        if (role == 0) // a frame carrying two sizes, as the arrows of many packs do
            icon.push_back(RoleImage(role, tint, frame, 48));
        a.frames.push_back(icon);
    }
    if (role == 3) { // busy: a sequence that swings back, repeating frames
        a.sequence = {0, 1, 2, 3, 2, 1};
        a.rates = {8, 5, 5, 12, 5, 5};
    } else {
        a.rates = {uint32_t(6 + role % 3), 6, 7, 10};
    }
    return WriteAnimation(a).bytes;
}

std::vector<uint8_t> RoleStill(int role, int tint)
{
    std::vector<IconImage> images = {RoleImage(role, tint, 0, 32)};
    if (role == 1)
        images.push_back(RoleImage(role, tint, 0, 16));
    return WriteIconFile(images, true).bytes;
}

ThemePacks MakeThemePacks()
{
    Packs packs;

    // ASCII, the usual layout, text before the first section; every role animated.
    {
        const auto positions = Packs::AllRoles();
        packs.begin("ascii", "ascii", 0, 1);
        packs.inf("install.inf",
                  StandardInf("Neon Ascii", positions, true,
                              "Neon Ascii cursors, made for Windows XP and later\n"
                              "; right-click install.inf and choose Install\n\n"),
                  Encoding::Ascii);
        packs.placeFiles(positions);
        packs.scheme("Neon Ascii", positions);
    }
    // UTF-8 with a byte order mark, named Setup.inf and given by name; 15 positions; names
    // that differ in case from the files; still cursors.
    {
        auto positions = Packs::AllRoles(".cur");
        positions.resize(15);
        positions[0] = {"pointer", "Arrow.CUR", "arrow.cur"};
        positions[1] = {"help", "HELP.cur", "Help.CUR"};
        packs.begin("utf8bom", "utf8bom/Setup.inf", 0, 1);
        packs.inf("Setup.inf", StandardInf("Tëst Ümlaut", positions), Encoding::Utf8Bom);
        packs.placeFiles(positions);
        packs.scheme("Tëst Ümlaut", positions);
        packs.unmapped("person.cur", 16);
    }
    // UTF-8 without a mark, Unix line ends, a Chinese name and file name, empty positions.
    {
        auto positions = Packs::AllRoles();
        positions[0] = {"pointer", "正常选择.ani", "正常选择.ani"};
        positions[13] = {"alternate", "", ""};
        positions[15] = {"pin", "", ""};
        packs.begin("utf8", "utf8", 0, 1);
        packs.inf("Setup.inf", StandardInf("光标主题 UTF-8", positions), Encoding::Utf8, false);
        packs.placeFiles(positions);
        packs.scheme("光标主题 UTF-8", positions);
    }
    // Windows-1252 from a Western system, nothing quoted (the value's commas then split it).
    {
        auto positions = Packs::AllRoles();
        positions[0] = {"pointer", "flèche.ani", "flèche.ani"};
        packs.begin("cp1252", "cp1252", 0, 1);
        packs.inf("install.inf", StandardInf("Crème Brûlée", positions, false), Encoding::Cp1252);
        packs.placeFiles(positions);
        packs.scheme("Crème Brûlée", positions);
    }
    // GBK from a Chinese system, with a Chinese .inf name.
    {
        auto positions = Packs::AllRoles();
        positions[0] = {"pointer", "正常选择.ani", "正常选择.ani"};
        packs.begin("gbk", "gbk", 0, 1);
        packs.inf("光标.inf", StandardInf("光标主题", positions), Encoding::Gbk);
        packs.placeFiles(positions);
        packs.scheme("光标主题", positions);
    }
    // UTF-16 with a mark, in a hidden .inf.
    {
        const auto positions = Packs::AllRoles();
        packs.begin("utf16le", "utf16le", 0, 1);
        packs.inf(".install.inf", StandardInf("Wide Ünicode", positions), Encoding::Utf16LeBom);
        packs.placeFiles(positions);
        packs.scheme("Wide Ünicode", positions);
    }
    // UTF-16 big-endian without a mark.
    {
        const auto positions = Packs::AllRoles(".cur");
        packs.begin("utf16be", "utf16be", 0, 1);
        packs.inf("install.inf", StandardInf("Big Endian", positions), Encoding::Utf16Be);
        packs.placeFiles(positions);
        packs.scheme("Big Endian", positions);
    }
    // One .inf installing two schemes (the first written under HKLM too), with an uninstall
    // section that removes one by name.
    {
        auto day = Packs::AllRoles();
        auto night = day;
        for (int r : {0, 3, 14})
            night[size_t(r)] = {"", "night-" + std::string(kStems[r]) + ".ani",
                                "night-" + std::string(kStems[r]) + ".ani"};
        std::string dayValue, nightValue;
        for (int r = 0; r < kRoles; ++r) {
            dayValue += (r ? "," : "") + std::string("%10%\\%CUR_DIR%\\") + day[size_t(r)].written;
            nightValue +=
                (r ? "," : "") + std::string("%10%\\%CUR_DIR%\\") + night[size_t(r)].written;
        }
        const std::string text =
            "[DefaultInstall]\nAddReg = Day.Reg, Night.Reg\n\n[DefaultUninstall]\n"
            "DelReg = Day.Del\n\n[Day.Reg]\n"
            "HKCU,\"Control Panel\\Cursors\\Schemes\",\"Two Day\",,\"" +
            dayValue +
            "\"\n"
            "HKLM,\"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\"
            "Schemes\",\"Two Day\",0x00020000,\"" +
            dayValue +
            "\"\n\n[Night.Reg]\n"
            "HKCU,\"Control Panel\\Cursors\\Schemes\",\"Two Night\",,\"" +
            nightValue +
            "\"\n\n"
            "[Day.Del]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"Two Day\"\n\n"
            "[Strings]\nCUR_DIR = \"Cursors\\Two\"\n";
        packs.begin("twoschemes", "twoschemes", 0, 2);
        packs.inf("install.inf", text, Encoding::Ascii);
        packs.placeFiles(day);
        for (int r : {0, 3, 14})
            packs.cursor(night[size_t(r)].disk, r);
        packs.scheme("Two Day", day);
        packs.scheme("Two Night", night);
    }
    // Two .inf files of two schemes in one folder, and a third repeating the first.
    {
        const auto left = Packs::AllRoles();
        auto right = left;
        right[0] = {"pointer", "right-pointer.ani", "right-pointer.ani"};
        const std::string leftInf = StandardInf("Left Hand", left);
        packs.begin("twoinfs", "twoinfs", 0, 2);
        packs.inf("install.inf", leftInf, Encoding::Ascii);
        packs.inf("Setup.INF", StandardInf("Right Hand", right), Encoding::Ascii);
        packs.inf("zcopy.inf", leftInf, Encoding::Ascii);
        packs.placeFiles(left);
        packs.cursor(right[0].disk, 0);
        packs.scheme("Left Hand", left);
        packs.scheme("Right Hand", right);
        packs.note("the same scheme");
    }
    // Quotes missing, keys named for other roles, forward slashes and sub-folders, names in
    // another case, an empty position, a missing file, a damaged one, the same name as .ani and
    // .cur, and 19 positions.
    {
        std::vector<Position> positions = Packs::AllRoles();
        positions[0] = {"pointer", "arrow.ani", "arrow.ani"};           // its quote left open
        positions[1] = {"busy", "question.ani", "question.ani"};        // key of another role
        positions[2] = {"", "busy.cur", "busy.cur"};                    // same name as Wait's
        positions[3] = {"", "sub/Busy.ani", "sub/busy.ani"};            // forward slash, case
        positions[5] = {"", "deep\\text.cur", "cursors/deep/text.cur"}; // deeper than written
        positions[6] = {"", "", ""};                                    // left empty
        positions[14] = {"link", "link.ani", ""};                       // not in the pack
        positions[7].damaged = true;                                    // cut short
        std::string value;
        for (int r = 0; r < kRoles; ++r) {
            const Position& p = positions[size_t(r)];
            value += r ? "," : "";
            if (p.written.empty())
                continue;
            value +=
                p.key.empty() ? "%10%/%CUR_DIR%/" + p.written : "%10%\\%CUR_DIR%\\%" + p.key + "%";
        }
        value += ",%10%\\%CUR_DIR%\\extra1.ani,%10%\\%CUR_DIR%\\extra2.ani";
        std::string strings;
        for (int r = 0; r < kRoles; ++r) {
            const Position& p = positions[size_t(r)];
            if (p.key.empty() || p.written.empty())
                continue;
            strings += p.key + (r == 0 ? " = \"" + p.written : " = \"" + p.written + "\"") + "\n";
        }
        // The value's opening quote is missing; Windows would install only its first file.
        const std::string text =
            "[Version]\nsignature=\"$CHICAGO$\"\n[DefaultInstall]\nAddReg=Scheme.Reg\n"
            "[Scheme.Reg]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",," +
            value + "\"\n[Strings]\nSCHEME_NAME = \"Quirky\"\nCUR_DIR = \"Cursors/Quirky\"\n" +
            strings;
        packs.begin("quirks", "quirks/install.inf", 0, 1);
        packs.inf("install.inf", text, Encoding::Ascii);
        packs.placeFiles(positions);
        packs.cursor("extra1.ani", 0);
        packs.cursor("extra2.ani", 1);
        packs.scheme("Quirky", positions);
        packs.unmapped("extra1.ani", 0);
        packs.unmapped("extra2.ani", 1);
        packs.unmapped("spare.ani", 2);
        packs.note("lists 19 files");
    }
    // The current cursors set one by one under Control Panel\Cursors, no scheme.
    {
        const auto positions = Packs::AllRoles();
        std::string lines = "HKCU,\"Control Panel\\Cursors\",,0x00020000,\"%SCHEME_NAME%\"\n";
        for (int r = kRoles - 1; r >= 0; --r)
            lines += "HKCU,\"Control Panel\\Cursors\"," + std::string(kRoleNames[r]) +
                     ",0x00020000,\"%10%\\%CUR_DIR%\\" + positions[size_t(r)].written + "\"\n";
        packs.begin("perrole", "perrole", 0, 1);
        packs.inf("install.inf",
                  "[DefaultInstall]\nAddReg = Cursors.Reg\n\n[Cursors.Reg]\n" + lines +
                      "\n[Strings]\nCUR_DIR = \"Cursors\\Per Role\"\nSCHEME_NAME = \"Per Role\"\n",
                  Encoding::Ascii);
        packs.placeFiles(positions);
        packs.scheme("Per Role", positions);
    }
    // No .inf: the files' names decide; what matches nothing, or a role taken, is listed.
    {
        const char* const names[kRoles] = {"01 Normal Select.ani",
                                           "Help.cur",
                                           "03_working.ani",
                                           "busy.ani",
                                           "Crosshair.cur",
                                           "text.cur",
                                           "handwriting.cur",
                                           "Unavailable.ani",
                                           "Vertical Resize.ani",
                                           "horz.cur",
                                           "dgn1.cur",
                                           "DGN2.cur",
                                           "Move.ani",
                                           "alternate.cur",
                                           "Link Select.ani",
                                           "pin.cur",
                                           "Person.cur"};
        std::vector<Position> positions;
        for (const char* n : names)
            positions.push_back({"", n, n});
        packs.begin("noinf", "noinf", 0, 1);
        packs.placeFiles(positions);
        packs.scheme("noinf", positions);
        packs.unmapped("busy.cur", 3);
        packs.unmapped("readme.ani", 4);
        packs.note("busy.cur is also named for Wait");
    }
    // Nothing of any role: refused, the cursor file listed.
    {
        packs.begin("nothing", "nothing", 5, 0);
        packs.file("notes.txt", {'h', 'i', '\n'});
        packs.unmapped("random.ani", 0);
    }
    return packs.finish();
}
