#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MovieListFormat.h"

namespace {

using S = std::vector<std::string>;

TEST(MovieListFormat, WritesHeaderThenOneLineFeedPerPath) {
    EXPECT_EQ(FormatMovieListBytes({}), "#Movie File List\n");
    EXPECT_EQ(FormatMovieListBytes({}).size(), 17u);
    EXPECT_EQ(FormatMovieListBytes({"C:\\a.avi", "", "D:\\b c.mp4 "}),
              "#Movie File List\nC:\\a.avi\n\nD:\\b c.mp4 \n");
}

TEST(MovieListFormat, ReadsWhatItWrites) {
    const S paths = {"C:\\a.avi", "D:\\\x83\x80\x81[\x83\x72\x81[.mp4", "rel\\x.wmv"};
    EXPECT_EQ(ParseMovieListBytes(FormatMovieListBytes(paths)), paths);
    EXPECT_TRUE(ParseMovieListBytes(FormatMovieListBytes({})).empty());
}

TEST(MovieListFormat, CommentsLineEndsAndBlankLines) {
    EXPECT_EQ(ParseMovieListBytes("a\r\n#x\r\n\r\n\nb\n#Movie File List\nc"), (S{"a", "b", "c"}));
    // Header missing is fine; '#' paths are comments, so they are skipped on read.
    EXPECT_EQ(ParseMovieListBytes("#1.avi\nC:\\#2.avi\n"), (S{"C:\\#2.avi"}));
    // Trailing spaces belong to the path.
    EXPECT_EQ(ParseMovieListBytes("a  \n"), (S{"a  "}));
    // Text after a leading CR keeps the CR; a CR inside the line cuts it.
    EXPECT_EQ(ParseMovieListBytes("\rabc\n"), (S{"\rabc"}));
    EXPECT_EQ(ParseMovieListBytes("ab\rcd\n"), (S{"ab"}));
    EXPECT_EQ(ParseMovieListBytes("\r\r\n\n\r"), S{});
}

TEST(MovieListFormat, CarriageReturnsAloneMakeOneLine) {
    EXPECT_EQ(ParseMovieListBytes("#h\rC:\\a\rC:\\b\r"), S{});
    EXPECT_EQ(ParseMovieListBytes("C:\\a\rC:\\b\r"), (S{"C:\\a"}));
}

TEST(MovieListFormat, LongLinesStayOneEntry) {
    const std::string longPath = "C:\\" + std::string(300, 'x') + ".avi";
    const std::string veryLong(100000, 'y');
    EXPECT_EQ(ParseMovieListBytes("#h\n" + longPath + "\n" + veryLong + "\r\nz\n"),
              (S{longPath, veryLong, "z"}));
    const std::string exact(259, 'e');
    EXPECT_EQ(ParseMovieListBytes(exact + "\n"), (S{exact}));
}

TEST(MovieListFormat, LineIsCutAtNul) {
    EXPECT_EQ(ParseMovieListBytes(std::string("ab\0cd\nef\n", 9)), (S{"ab", "ef"}));
    EXPECT_EQ(ParseMovieListBytes(std::string("\0cd\n", 4)), S{});
}

TEST(MovieListFormat, AddedPathIsKeptInAFormTheFileGivesBack) {
    EXPECT_EQ(ChooseListedForm(L"C:\\映像\\a.avi", L"C:\\映像\\a.avi", L"", L""), ListedForm::Path);
    // Best fit: the file would give back another name; the short form comes back whole.
    EXPECT_EQ(
        ChooseListedForm(L"C:\\café.avi", L"C:\\cafe.avi", L"C:\\CAF_~1.AVI", L"C:\\CAF_~1.AVI"),
        ListedForm::ShortPath);
    // No short form, a short form that is lost as well, or no conversion at all.
    EXPECT_EQ(ChooseListedForm(L"C:\\한.avi", L"C:\\?.avi", L"", L""), ListedForm::None);
    EXPECT_EQ(
        ChooseListedForm(L"C:\\한\\x.avi", L"C:\\?\\x.avi", L"C:\\한\\X~1.AVI", L"C:\\?\\X~1.AVI"),
        ListedForm::None);
    EXPECT_EQ(ChooseListedForm(L"C:\\😀.avi", L"", L"", L""), ListedForm::None);
}

} // namespace
