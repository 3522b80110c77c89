// Reading the .inf files of theme packs: their encodings, their lines, and the schemes they
// install.
#include "inffile.h"
#include "textencoding.h"

#include <gtest/gtest.h>

using namespace ctheme;

namespace {

std::vector<std::uint8_t> bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

struct EncodingCase
{
    const char* what;
    std::string_view bytes;
    TextEncoding encoding;
    std::string_view utf8;
};

TEST(TextEncoding, FindsAndDecodesWhatWindowsAuthorsWrite)
{
    using namespace std::string_view_literals;
    const EncodingCase cases[] = {
        {"ASCII", "pointer = arrow.ani", TextEncoding::Utf8, "pointer = arrow.ani"},
        {"UTF-8 with a mark", "\xEF\xBB\xBFT\xC3\xABst", TextEncoding::Utf8Bom, "Tëst"},
        {"UTF-8 without one", "\xE5\x85\x89\xE6\xA0\x87", TextEncoding::Utf8, "光标"},
        {"Windows-1252",
         "Cr\xE8me Br\xFBl\xE9"
         "e",
         TextEncoding::Cp1252, "Crème Brûlée"},
        {"Windows-1252 letter before ASCII", "Th\xE8me", TextEncoding::Cp1252, "Thème"},
        {"Windows-1252 quotes", "\x80 \x93q\x94", TextEncoding::Cp1252, "€ “q”"},
        {"GBK", "\xB9\xE2\xB1\xEA\xD6\xF7\xCC\xE2.ani", TextEncoding::Gbk, "光标主题.ani"},
        {"UTF-16LE with a mark", "\xFF\xFEh\0i\0"sv, TextEncoding::Utf16Le, "hi"},
        {"UTF-16LE without", "[\0S\0]\0"sv, TextEncoding::Utf16Le, "[S]"},
        {"UTF-16BE with a mark", "\xFE\xFF\0h\0\xEB"sv, TextEncoding::Utf16Be, "hë"},
        {"UTF-16BE without", "\0[\0S\0]"sv, TextEncoding::Utf16Be, "[S]"},
        {"UTF-16 surrogates", "\xFF\xFE\x3D\xD8\x00\xDE"sv, TextEncoding::Utf16Le, "😀"},
        {"UTF-16 lone surrogate",
         "\xFF\xFE\x3D\xD8"
         "a\0"sv,
         TextEncoding::Utf16Le, "\uFFFDa"},
    };
    for (const EncodingCase& c : cases) {
        const auto b = bytes(c.bytes);
        EXPECT_EQ(detectEncoding(b), c.encoding) << c.what;
        EXPECT_EQ(decodeText(b), c.utf8) << c.what;
    }
}

TEST(TextEncoding, FoldsCaseAsWindowsComparesNames)
{
    EXPECT_EQ(foldCase("ÄRGER Ünd ÉTÉ.ANI"), "ärger ünd été.ani");
    EXPECT_EQ(foldCase("ŁÓDŹ ĀŒ Ÿ"), "łódź āœ ÿ");
    EXPECT_EQ(foldCase("КУРСОР Ё ΣΩ"), "курсор ё σω");
    EXPECT_EQ(foldCase("光标 ×"), "光标 ×");
    EXPECT_EQ(foldCase("bad\xFFutf8"), "bad\xFFutf8");
}

TEST(InfFile, ReadsLinesAsWindowsDoes)
{
    const InfFile inf("Made for Windows XP, install with a right click\r\n"
                      "HKCU,\"Control Panel\\Cursors\\Schemes\",\"Before\",,\"a.ani\"\r\n"
                      "[Version] ; the header\r\n"
                      "signature=\"$CHICAGO$\"\r\n"
                      "\r\n"
                      "  [ Strings ]\n"
                      "name = \"A; not a comment\" ; a comment\n"
                      "quoted = \"say \"\"hi\"\"\"\n"
                      "joined = first,\\\n"
                      "         second\n"
                      "open = \"arrow.ani\n"
                      "HKCU, a , \"b, c\" ,, d\n");
    const auto& lines = inf.lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].section, "Version");
    EXPECT_EQ(lines[0].key, "signature");
    EXPECT_EQ(lines[0].text, "$CHICAGO$");
    EXPECT_EQ(lines[1].section, "Strings");
    EXPECT_EQ(lines[1].text, "A; not a comment");
    EXPECT_EQ(lines[2].text, "say \"hi\"");
    EXPECT_EQ(lines[3].fields, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(lines[3].number, 9u);
    EXPECT_FALSE(lines[4].quotesPaired);
    EXPECT_EQ(lines[4].text, "arrow.ani");
    EXPECT_EQ(lines[5].key, "");
    EXPECT_EQ(lines[5].fields, (std::vector<std::string>{"HKCU", "a", "b, c", "", "d"}));
    EXPECT_EQ(lines[5].number, 12u);
}

TEST(InfFile, ExpandsStringsByName)
{
    const InfFile inf("[Strings.0407]\nonlyLocal = \"lokal\"\nboth = \"beide\"\n"
                      "[Strings]\nCUR_DIR = \"Cursors\\Neon\"\nboth = \"both\"\nPointer = "
                      "\"Arrow.ani\"\n");
    EXPECT_EQ(inf.expand("%10%\\%cur_dir%\\%POINTER%"), "%10%\\Cursors\\Neon\\Arrow.ani");
    EXPECT_EQ(inf.expand("100%% %both% %onlyLocal%"), "100% both lokal");
    EXPECT_EQ(inf.expand("50% off %pointer%"), "50% off Arrow.ani");
    EXPECT_EQ(inf.expand("%unknown% and %"), "%unknown% and %");
    EXPECT_EQ(inf.string("BOTH"), "both");
    EXPECT_FALSE(inf.string("nothing"));
}

std::vector<InfScheme> schemesOf(const std::string& text)
{
    return cursorSchemes(InfFile(text));
}

TEST(InfSchemes, TakeEveryPositionAsWritten)
{
    const std::string strings = "[Strings]\nD = \"Cursors\\Neon\"\nSCHEME_NAME = \"Neon\"\n"
                                "a = \"arrow.ani\"\nb = \"help.cur\"\n";
    const std::vector<std::string> expanded = {"%10%\\Cursors\\Neon\\arrow.ani", "",
                                               "%10%\\Cursors\\Neon\\help.cur", ""};
    struct Case
    {
        const char* what;
        std::string reg;
    } cases[] = {
        {"quoted",
         R"(HKCU,"Control Panel\Cursors\Schemes","%SCHEME_NAME%",,"%10%\%D%\%a%,,%10%\%D%\%b%,")"},
        {"unquoted", R"(HKCU,"Control Panel\Cursors\Schemes","%SCHEME_NAME%",0x00020000,)"
                     R"(%10%\%D%\%a%,,%10%\%D%\%b%,)"},
        {"closing quote missing",
         R"(HKCU,"Control Panel\Cursors\Schemes","%SCHEME_NAME%",,"%10%\%D%\%a%,,%10%\%D%\%b%,)"},
        {"opening quote missing",
         R"(HKCU,"Control Panel\Cursors\Schemes","%SCHEME_NAME%",,%10%\%D%\%a%,,%10%\%D%\%b%,")"},
        {"long names, slashes, spaces",
         R"(HKEY_CURRENT_USER , "Control Panel/Cursors//Schemes\" , "Neon" ,, "%10%\%D%\%a%,,%10%\%D%\%b%,")"},
    };
    for (const Case& c : cases) {
        const auto schemes = schemesOf("[Scheme.Reg]\n" + c.reg + "\n" + strings);
        ASSERT_EQ(schemes.size(), 1u) << c.what;
        EXPECT_EQ(schemes[0].name, "Neon") << c.what;
        EXPECT_EQ(schemes[0].files, expanded) << c.what;
    }
}

TEST(InfSchemes, OneThemePerSchemeNamed)
{
    const auto schemes = schemesOf(
        "[Day.Reg]\n"
        "HKCU,\"Control Panel\\Cursors\\Schemes\",\"Day\",,\"d1.ani,d2.ani\"\n"
        "HKLM,\"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes\","
        "\"Day\",,\"d1.ani,d2.ani\"\n"
        "[Night.Reg]\n"
        "HKCU,\"Control Panel\\Cursors\\Schemes\",\"Night\",,\"n1.ani\"\n"
        "HKCU,\"Control Panel\\Cursors\",\"Arrow\",,\"elsewhere.ani\"\n"
        "[Day.Del]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"Day\"\n"
        "[Other.Reg]\nHKCU,\"Software\\Something\",\"Day\",,\"x.ani\"\n");
    ASSERT_EQ(schemes.size(), 2u);
    EXPECT_EQ(schemes[0].name, "Day");
    EXPECT_EQ(schemes[0].files, (std::vector<std::string>{"d1.ani", "d2.ani"}));
    EXPECT_EQ(schemes[1].name, "Night");
    EXPECT_EQ(schemes[1].line, 5u);
}

TEST(InfSchemes, CursorsSetOneByOneMakeOne)
{
    const auto schemes = schemesOf("[R]\n"
                                   "HKCU,\"Control Panel\\Cursors\",,,\"%SCHEME_NAME%\"\n"
                                   "HKCU,\"Control Panel\\Cursors\",Hand,,\"link.ani\"\n"
                                   "HKCU,\"Control Panel\\Cursors\",arrow,,\"pointer.ani\"\n"
                                   "HKCU,\"Control Panel\\Cursors\",Scheme Source,0x10001,2\n"
                                   "HKCU,\"Control Panel\\Cursors\",NotARole,,\"x.ani\"\n"
                                   "[Strings]\nSCHEME_NAME = One By One\n");
    ASSERT_EQ(schemes.size(), 1u);
    EXPECT_EQ(schemes[0].name, "One By One");
    ASSERT_EQ(schemes[0].files.size(), 15u);
    EXPECT_EQ(schemes[0].files[0], "pointer.ani");
    EXPECT_EQ(schemes[0].files[14], "link.ani");
    EXPECT_EQ(schemes[0].files[1], "");
}

TEST(InfSchemes, WithoutANameTakeTheStringsOne)
{
    EXPECT_EQ(schemesOf("[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",,,\"a.ani\"\n"
                        "[Strings]\nscheme_name = \"From Strings\"\n")[0]
                  .name,
              "From Strings");
    EXPECT_EQ(schemesOf("[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"\",,\"a.ani\"\n")[0].name,
              "");
    EXPECT_TRUE(schemesOf("[Version]\nsignature=$CHICAGO$\n").empty());
}

} // namespace
