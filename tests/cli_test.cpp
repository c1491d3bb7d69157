// talmo, run as a user runs it: on the shipped samples and on temporary
// files, checking what it prints, what it writes and how it exits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "plugin.h"
#include "run_program.h"
#include "talmo_version.h"

namespace {

namespace fs = std::filesystem;
using talmo_test::CaseName;
using talmo_test::kWindowsBuild;
using Args = std::vector<std::string>;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void spit(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("talmo-cli-" + std::to_string(std::random_device()()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path file(const std::string& name, const std::string& bytes) {
    fs::path p = dir_ / name;
    spit(p, bytes);
    return p;
  }
  static std::string sample(const std::string& name) {
    return std::string(TALMO_SAMPLES_DIR) + "/" + name;
  }

  // Runs talmo with the arguments, standard input from stdinText.
  Outcome talmo(const Args& args, const std::string& stdinText = "") {
    fs::path in = dir_ / "stdin", out = dir_ / "stdout", err = dir_ / "stderr";
    spit(in, stdinText);
    Outcome r;
    r.status = talmo_test::runProgram(TALMO_CLI_PATH, args, in, out, err);
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
  }

  fs::path dir_;
};

const char kExampleTable[] =
    "  NAME        TYPE       VALUE\n"
    "  DATATYPE    character  X12\n"
    "  CLASS       character  NEXT\n"
    "  CONTROLNUM  integer    123\n"
    "  DATE        date       2002-03-15\n"
    "  TIME        time       10:15:30\n"
    "  header: 71 bytes, closed by \";\"\n"
    "  next parser: NEXT\n"
    "  body: 451 bytes\n";

TEST_F(Cli, ParseShowsTheTreeAsATable) {
  Outcome r = talmo({"parse", sample("x12-overview.msg")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, sample("x12-overview.msg") + "\n" + kExampleTable);
}

TEST_F(Cli, ParseJsonIsOneObjectPerMessage) {
  Outcome r = talmo({"parse", "--json", sample("x12-overview.msg"), "-"}, "CLASS(A);rest");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"body_bytes\":451,\"closed\":true,\"file\":\"" + sample("x12-overview.msg") +
                "\",\"header_bytes\":71,\"items\":["
                "{\"name\":\"DATATYPE\",\"type\":\"character\",\"value\":\"X12\"},"
                "{\"name\":\"CLASS\",\"type\":\"character\",\"value\":\"NEXT\"},"
                "{\"name\":\"CONTROLNUM\",\"type\":\"integer\",\"value\":123},"
                "{\"name\":\"DATE\",\"type\":\"date\",\"value\":\"2002-03-15\"},"
                "{\"name\":\"TIME\",\"type\":\"time\",\"value\":\"10:15:30\"}],"
                "\"next_parser\":\"NEXT\"}\n"
                "{\"body_bytes\":4,\"closed\":true,\"file\":\"-\",\"header_bytes\":9,\"items\":["
                "{\"name\":\"CLASS\",\"type\":\"character\",\"value\":\"A\"}],"
                "\"next_parser\":\"A\"}\n");
}

TEST_F(Cli, ParseReportsAnUnclosedHeader) {
  Outcome r = talmo({"parse", sample("malformed-truncated-value.msg")});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("header: 41 bytes, not closed by \";\""), std::string::npos) << r.out;
}

TEST_F(Cli, WriteRewritesTheHeaderAndKeepsTheBody) {
  fs::path out = dir_ / "out.msg";
  Outcome r = talmo({"write", sample("x12-overview.msg"), "-o", out.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string original = slurp(sample("x12-overview.msg"));
  EXPECT_EQ(slurp(out), "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(123) DATE(020315) TIME(101530) ;" +
                            original.substr(71));
}

TEST_F(Cli, WriteSetsTypedValuesAndUnsetsItems) {
  fs::path in = file("in.msg", "CLASS(A) RECLEN(80) DATE(020315);BODY");
  Outcome r = talmo({"write", in.string(), "-o", "-", "--set", "RECLEN=0042", "--set", "CLASS=NEXT",
                     "--set", "SENDER= ACME ", "--unset", "DATE"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "CLASS(NEXT) RECLEN(42) SENDER( ACME ) ;BODY");
}

TEST_F(Cli, WriteRefusesToOverwriteItsInput) {
  fs::path in = file("in.msg", "A(1);");
  Outcome r = talmo({"write", in.string(), "-o", in.string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
  EXPECT_EQ(slurp(in), "A(1);");
}

TEST_F(Cli, WriteRefusesAnItemThatWouldNotReadBack) {
  fs::path in = file("in.msg", "A(1);");
  Outcome r = talmo({"write", in.string(), "-o", "-", "--set", "A=x)y"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("would not read back as one item: the value holds \")\""), std::string::npos)
      << r.err;
  EXPECT_EQ(r.out, "");
}

struct CheckCase {
  const char* name;
  std::string header;
  int status;
  std::vector<std::string> findings;  // each must appear in the report
};
void PrintTo(const CheckCase& c, std::ostream* os) {
  *os << c.name;
}

class CliCheck : public Cli, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CliCheck, ReportsFindingsAndExitStatus) {
  Outcome r = talmo({"check", "-"}, GetParam().header);
  EXPECT_EQ(r.status, GetParam().status) << r.out << r.err;
  for (const std::string& f : GetParam().findings) {
    EXPECT_NE(r.out.find(f), std::string::npos) << "missing: " << f << "\nin:\n" << r.out;
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Headers, CliCheck, ::testing::Values(
    CheckCase{"clean", "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(123);", 0, {"reads back the same, 0 warnings"}},
    CheckCase{"not_closed", "A(1)", 1, {"the header is not closed by \";\""}},
    CheckCase{"day_out_of_range", "DATE(020230);", 1, {"DATE: day 30 is out of range"}},
    CheckCase{"month_13", "DATE(021301);", 1, {"DATE: month 13 is out of range"}},
    CheckCase{"short_date", "DATE(0203);", 1, {"DATE: \"0203\" is not six digits YYMMDD"}},
    CheckCase{"hour_99", "TIME(990000);", 1, {"TIME: hour 99 is out of range"}},
    CheckCase{"long_class", "CLASS(ABCDEFGHIJKLMNOPQ);", 1, {"CLASS: the value is longer than 15 characters; the class reported is " "\"ABCDEFGHIJKLMNO\""}},
    CheckCase{"integer_out_of_range", "RECLEN(4294967296);", 1, {"outside the 32-bit range and reads as 2147483647"}},
    CheckCase{"integer_leading_zeros", "CONTROLNUM(000123);", 1, {"has leading zeros"}},
    CheckCase{"integer_plus", "RECLEN(+7);", 1, {"is written with \"+\""}},
    CheckCase{"integer_letters", "RECLEN(8O);", 1, {"stops being a number at \"O\""}},
    CheckCase{"unknown_name", "COLOUR(red);", 1, {"COLOUR: the name is not one of the sixteen fields"}},
    CheckCase{"non_ascii", "SENDER(caf\xc3\xa9);", 1, {"bytes outside ASCII"}},
    CheckCase{"blank_before_paren", "RECLEN (80);", 1, {"RECLEN : the name is not one of the sixteen fields"}}),
    CaseName());
// clang-format on

TEST_F(Cli, CheckOnTheSamplesWarnsAndExitsOne) {
  Outcome r =
      talmo({"check", sample("edifact-all-fields.msg"), sample("malformed-long-class.msg")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("edifact-all-fields.msg: reads back the same, 0 warnings"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("TIME: minute 60 is out of range"), std::string::npos) << r.out;
}

TEST_F(Cli, ErrorsNameTheFileAndExitTwo) {
  Outcome missing = talmo({"parse", (dir_ / "missing.msg").string()});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("missing.msg: cannot open: No such file or directory"),
            std::string::npos)
      << missing.err;
}

// A message larger than the host's int byte count is refused before it is
// read (the file is sparse: nothing is written to disk).
TEST_F(Cli, TooLargeFileIsRefused) {
  fs::path big = dir_ / "big.msg";
  { std::ofstream(big, std::ios::binary) << "A(1);"; }
  fs::resize_file(big, 3ull << 30);
  Outcome r = talmo({"parse", big.string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("big.msg: too large (3221225472 bytes)"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST_F(Cli, PluginProblemsAreClear) {
  fs::path notPlugin = file("empty.lil", "");
  Outcome r1 = talmo({"--plugin", (dir_ / "none.lil").string(), "parse", "-"}, "A(1);");
  EXPECT_EQ(r1.status, 2);
  EXPECT_NE(r1.err.find("plug-in not found"), std::string::npos) << r1.err;
  Outcome r2 = talmo({"--plugin", notPlugin.string(), "parse", "-"}, "A(1);");
  EXPECT_EQ(r2.status, 2);
  EXPECT_NE(r2.err.find("empty.lil"), std::string::npos) << r2.err;
  Outcome r3 = talmo({"--plugin", TESSPLUG_PATH, "parse", "-"}, "A(1);");
  EXPECT_EQ(r3.status, 2);
  EXPECT_NE(r3.err.find("no entry point lokGetParserFactory"), std::string::npos) << r3.err;
}

TEST_F(Cli, InfoShowsThePluginItsVersionAndWhatItRegistered) {
  Outcome r = talmo({"info"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string tail =
      "\nversion: " TALMO_VERSION "\nfactory: ComVornTALMOParserFactory\nclass: TALMO\n";
  ASSERT_GT(r.out.size(), tail.size()) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  std::string pluginLine = r.out.substr(0, r.out.size() - tail.size());
  EXPECT_TRUE(pluginLine.starts_with("plug-in: ") && pluginLine.ends_with(TALMO_DELIVERABLE_FILE))
      << pluginLine;
}

TEST_F(Cli, VersionIsTheProjects) {
  Outcome r = talmo({"--version"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "talmo " TALMO_VERSION "\n");
}

// Names reach the file system intact whatever the platform's code page.
TEST_F(Cli, FileNamesBeyondAscii) {
  const std::string name = "caf\xc3\xa9 \xe6\x97\xa5.msg";
  fs::path p = dir_ / fs::path(std::u8string(name.begin(), name.end()));
  spit(p, "CLASS(A);");
  std::u8string utf8 = p.u8string();
  Outcome r = talmo({"parse", "--json", std::string(utf8.begin(), utf8.end())});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("caf\\u00e9 \\u65e5.msg\",\"header_bytes\":9"), std::string::npos) << r.out;
}

}  // namespace

namespace {

// ---- Hostile input: nothing reaches the terminal raw ----

struct ShownCase {
  const char* name;
  std::string header;
  std::string rows;         // the table's rows after the column heads
  std::string windowsRows;  // where the Windows build reads the bytes otherwise
};
void PrintTo(const ShownCase& c, std::ostream* os) {
  *os << c.name;
}

class CliShown : public Cli, public ::testing::WithParamInterface<ShownCase> {};

TEST_P(CliShown, TableEscapesAndAligns) {
  Outcome r = talmo({"parse", "-"}, GetParam().header);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string& rows =
      kWindowsBuild && !GetParam().windowsRows.empty() ? GetParam().windowsRows : GetParam().rows;
  size_t from = r.out.find('\n', r.out.find("NAME")) + 1;
  size_t to = r.out.find("  header:");
  ASSERT_NE(to, std::string::npos) << r.out;
  EXPECT_EQ(r.out.substr(from, to - from), rows);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Headers, CliShown, ::testing::Values(
    ShownCase{"escape_sequences", "A\x1b[31m(red\x1b]0;t\x07);", "  A\\x1b[31m  character  red\\x1b]0;t\\x07\n", ""},
    ShownCase{"tab_newline_return", "B\t(x\ny\r);", "  B\\t   character  x\\ny\\r\n", ""},
    ShownCase{"del_and_c1", "D(\x7f\xc2\x9b\xc2\x85);", "  D     character  \\x7f\\u009b\\u0085\n", "  D     character  \\x7f\xc3\x82\\u009b\xc3\x82\\u0085\n"},
    ShownCase{"bidi_override", "E(\xe2\x80\xae" "abc);", "  E     character  \\u202eabc\n", "  E     character  \xc3\xa2\\u0080\xc2\xae" "abc\n"},
    ShownCase{"invalid_utf8", "N(\xff\xfe);", "  N     character  \xef\xbf\xbd\xef\xbf\xbd\n", "  N     character  \xc3\xbf\xc3\xbe\n"},
    ShownCase{"wide_characters_align", "\xe6\x97\xa5\xe6\x9c\xac(1) AB(2);", "  \xe6\x97\xa5\xe6\x9c\xac  character  1\n  AB    character  2\n", "  \xc3\xa6\\u0097\xc2\xa5\xc3\xa6\\u009c\xc2\xac  character  1\n  AB                character  2\n"}),
    CaseName());
// clang-format on

TEST_F(Cli, JsonIsValidAndAsciiOnAnyInput) {
  Outcome r = talmo({"parse", "--json", "-"}, "A\x1b(\xff\xe2\x80\xae);");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(
      r.out.find("{\"name\":\"A\\u001b\",\"type\":\"character\",\"value\":\"" +
                 std::string(kWindowsBuild ? "\\u00ff\\u00e2\\u0080\\u00ae" : "\\ufffd\\u202e") +
                 "\"}"),
      std::string::npos)
      << r.out;
}

TEST_F(Cli, CheckQuotesEscapedAndFoldsIdenticalWarnings) {
  std::string header = "A\x1b[2J(1) ";
  for (int i = 0; i < 1000; ++i) header += "X(1) ";
  Outcome r = talmo({"check", "-"}, header + ";");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "-: reads back the same, 1001 warnings\n"
            "  warning: A\\x1b[2J: the name is not one of the sixteen fields\n"
            "  warning: X: the name is not one of the sixteen fields (and 999 more like it)\n");
}

TEST_F(Cli, CheckSaysWhenBytesChangeOnTheWayBack) {
  Outcome r = talmo({"check", "-"}, "SENDER(a\xff);");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("SENDER: the value is written back with other bytes: \"a\\xff\" becomes"),
            std::string::npos)
      << r.out;
}

// ---- Output files no one else can redirect ----

TEST_F(Cli, WriteNeverFollowsAPlantedLink) {
  if (kWindowsBuild) GTEST_SKIP() << "symbolic links need privileges on Windows";
  fs::path victim = file("victim", "precious");
  fs::path in = file("in.msg", "A(1);BODY");
  for (const char* planted :
       {"out.msg.talmo-tmp", ".out.msg.talmo-tmp", "out.msg.tmp", "out.msg~"}) {
    fs::create_symlink(victim, dir_ / planted);
  }
  Outcome r = talmo({"write", in.string(), "-o", (dir_ / "out.msg").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(victim), "precious");
  EXPECT_EQ(slurp(dir_ / "out.msg"), "A(1) ;BODY");
  EXPECT_FALSE(fs::is_symlink(dir_ / "out.msg"));
  size_t entries = 0;
  for (const auto& e : fs::directory_iterator(dir_)) entries += e.path().filename() != "stdin";
  // victim, in.msg, out.msg, the four links, stdout and stderr: no
  // temporary file is left.
  EXPECT_EQ(entries, 9u);
}

TEST_F(Cli, WriteThatCannotWriteLeavesNothing) {
  fs::path in = file("in.msg", "A(1);");
  fs::path notFolder = file("plain", "x");
  Outcome r = talmo({"write", in.string(), "-o", (notFolder / "out.msg").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("out.msg: cannot write: "), std::string::npos) << r.err;
  Outcome missing = talmo({"write", in.string(), "-o", (dir_ / "none" / "out.msg").string()});
  EXPECT_EQ(missing.status, 2);
  EXPECT_FALSE(fs::exists(dir_ / "none"));
}

// ---- Bounded input ----

TEST_F(Cli, EndlessAndOversizedStreamsAreRefused) {
  if (kWindowsBuild) GTEST_SKIP() << "no /dev/zero";
  Outcome device = talmo({"--max-bytes", "100000", "parse", "/dev/zero"});
  EXPECT_EQ(device.status, 2);
  EXPECT_EQ(device.err,
            "talmo: /dev/zero: too large (more than 100000 bytes); a message holds at most "
            "100000 bytes\n");
  Outcome pipe = talmo({"--max-bytes", "10", "check", "-"}, "A(1);" + std::string(100, 'x'));
  EXPECT_EQ(pipe.status, 2);
  EXPECT_NE(pipe.err.find("-: too large (more than 10 bytes)"), std::string::npos) << pipe.err;
  EXPECT_EQ(pipe.out, "");
}

}  // namespace

namespace {

// ---- Folders ----

TEST_F(Cli, FoldersAreWalkedInSortedOrder) {
  fs::create_directories(dir_ / "spool" / "b" / "deeper");
  fs::create_directories(dir_ / "spool" / "a");
  file("spool/b/deeper/3.msg", "C(3);");
  file("spool/b/2.msg", "B(2);");
  file("spool/a/1.msg", "A(1);");
  file("spool/notes.txt", "not a message");
  Outcome r = talmo({"parse", "--json", (dir_ / "spool").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> order;
  for (size_t at = r.out.find("\"file\":\""); at != std::string::npos;
       at = r.out.find("\"file\":\"", at + 1)) {
    size_t from = at + 8;
    order.push_back(fs::path(r.out.substr(from, r.out.find('"', from) - from)).filename().string());
  }
  EXPECT_EQ(order, (std::vector<std::string>{"1.msg", "2.msg", "3.msg", "notes.txt"}));
}

TEST_F(Cli, CheckOfAFolderGoesOnPastBadFilesAndSumsUp) {
  fs::create_directories(dir_ / "spool" / "sub");
  file("spool/clean.msg", "CLASS(A);");
  file("spool/sub/warned.msg", "COLOUR(red);");
  file("spool/sub/zz-too-large.msg", "CLASS(" + std::string(200, 'x') + ");");
  file("spool/text.txt", "hello");
  bool pipe = talmo_test::makeNamedPipe(dir_ / "spool" / "pipe");
  Outcome r = talmo({"--max-bytes", "100", "check", (dir_ / "spool").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("clean.msg: reads back the same, 0 warnings"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("warned.msg: reads back the same, 1 warning"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("text.txt: reads back the same, 1 warning"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("zz-too-large.msg: too large"), std::string::npos) << r.err;
  if (pipe) {
    EXPECT_NE(r.err.find("pipe: skipped: not a regular file"), std::string::npos) << r.err;
  }
  EXPECT_NE(r.err.find("talmo: 4 messages read: 1 clean, 2 with warnings, 1 with errors\n"),
            std::string::npos)
      << r.err;
}

// ---- diff ----

struct DiffCase {
  const char* name;
  std::string a, b;
  int status;
  std::string out;
};
void PrintTo(const DiffCase& c, std::ostream* os) {
  *os << c.name;
}

class CliDiff : public Cli, public ::testing::WithParamInterface<DiffCase> {};

TEST_P(CliDiff, SaysEachDifferenceOnALine) {
  fs::path a = file("a.msg", GetParam().a), b = file("b.msg", GetParam().b);
  Outcome r = talmo({"diff", a.string(), b.string()});
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  EXPECT_EQ(r.out, GetParam().out);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Messages, CliDiff, ::testing::Values(
    DiffCase{"same", "A(1) B(2);body", "A(1)  B(2);body", 0, ""},
    DiffCase{"same_after_normal_forms", "RECLEN(0080);", "RECLEN(80);", 0, ""},
    DiffCase{"reordered", "A(1) B(2) C(3);", "B(2) C(3) A(1);", 1, "moved: A from 1 to 3\n"},
    DiffCase{"changed_value", "A(1) DATE(020315);", "A(2) DATE(020316);", 1, "changed: A value: 1 -> 2\nchanged: DATE value: 2002-03-15 -> 2002-03-16\n"},
    DiffCase{"renamed_item", "X(1);", "RECLEN(1);", 1, "removed: X at 1\nadded: RECLEN at 1\n"},
    DiffCase{"added_and_removed", "A(1) B(2);", "A(1) C(3) B(2) B(4);", 1, "added: C at 2\nadded: B at 4\n"},
    DiffCase{"class_closing_and_body", "CLASS(X);one", "CLASS(Y)two", 1, "changed: CLASS value: X -> Y\nnext parser: X -> Y\nclosed by \";\": yes -> no\nbody: differs (3 bytes -> 0 bytes)\n"}),
    CaseName());
// clang-format on

TEST_F(Cli, DiffJsonListsEveryDifference) {
  fs::path a = file("a.msg", "A(1);"), b = file("b.msg", "A(2) B(3);");
  Outcome r = talmo({"diff", "--json", a.string(), b.string()});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.out.find("\"differences\":[{\"kind\":\"added\",\"name\":\"B\",\"position_b\":2},"
                       "{\"a\":\"1\",\"b\":\"2\",\"field\":\"value\",\"kind\":\"changed\","
                       "\"name\":\"A\",\"position_a\":1,\"position_b\":1}]"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"same\":false"), std::string::npos) << r.out;
  Outcome missing = talmo({"diff", a.string(), (dir_ / "none.msg").string()});
  EXPECT_EQ(missing.status, 2);
}

// ---- make ----

struct MakeCase {
  const char* name;
  std::string items;  // the JSON array
  std::string header;
};
void PrintTo(const MakeCase& c, std::ostream* os) {
  *os << c.name;
}

class CliMake : public Cli, public ::testing::WithParamInterface<MakeCase> {};

TEST_P(CliMake, WritesTheHeaderThePluginWrites) {
  Outcome r = talmo({"make", "-"}, "{\"items\":" + GetParam().items + "}");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, GetParam().header);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Types, CliMake, ::testing::Values(
    MakeCase{"character", R"([{"name":"SENDER","type":"character","value":"ACME \u00e9"}])", "SENDER(ACME \xc3\xa9) ;"},
    MakeCase{"integer", R"([{"name":"RECLEN","type":"integer","value":-42}])", "RECLEN(-42) ;"},
    MakeCase{"date", R"([{"name":"DATE","type":"date","value":"2002-03-15"}])", "DATE(020315) ;"},
    MakeCase{"time", R"([{"name":"TIME","type":"time","value":"10:15:30"}])", "TIME(101530) ;"},
    MakeCase{"boolean", R"([{"name":"B","type":"boolean","value":true}])", "B(TRUE) ;"},
    MakeCase{"real", R"([{"name":"R","type":"real","value":1.5}])", "R(1.5000000000000000) ;"},
    MakeCase{"decimal", R"([{"name":"D","type":"decimal","value":"-12.50"}])", "D(-12.50) ;"},
    MakeCase{"timestamp", R"([{"name":"S","type":"timestamp"}])", "S(<timestamp>) ;"},
    MakeCase{"binary", R"([{"name":"X","type":"binary","value":"00ff"}])", "X(<binary>) ;"},
    MakeCase{"raw_type_code", R"([{"name":"U","type":11}])", "U(<unknown>) ;"},
    MakeCase{"no_items", "[]", ";"}),
    CaseName());
// clang-format on

struct BadMakeCase {
  const char* name;
  std::string json;
  std::string error;
};
void PrintTo(const BadMakeCase& c, std::ostream* os) {
  *os << c.name;
}

class CliMakeRefuses : public Cli, public ::testing::WithParamInterface<BadMakeCase> {};

TEST_P(CliMakeRefuses, SaysWhichItemAndWritesNothing) {
  fs::path out = dir_ / "out.msg";
  Outcome r = talmo({"make", "-", "-o", out.string()}, GetParam().json);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "talmo: -: " + GetParam().error + "\n");
  EXPECT_FALSE(fs::exists(out));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Inputs, CliMakeRefuses, ::testing::Values(
    BadMakeCase{"not_json", "{\"items\":[", "not valid JSON"},
    BadMakeCase{"no_items", "{\"file\":\"x\"}", "expected an object with \"items\", as parse --json prints"},
    BadMakeCase{"item_without_name", R"({"items":[{"type":"integer","value":1}]})", "item 1: expected an object with a \"name\" string"},
    BadMakeCase{"unknown_type", R"({"items":[{"name":"A","type":"colour","value":1}]})", "item 1 (\"A\"): unknown type \"colour\" (character, integer, date, time, boolean, real, decimal, timestamp, binary, or a type code)"},
    BadMakeCase{"integer_as_string", R"({"items":[{"name":"A","type":"character","value":"x"},{"name":"N","type":"integer","value":"7"}]})", "item 2 (\"N\"): an integer value is a whole number"},
    BadMakeCase{"integer_too_large", R"({"items":[{"name":"N","type":"integer","value":18446744073709551615}]})", "item 1 (\"N\"): the integer is out of the 64-bit range"},
    BadMakeCase{"date_form", R"({"items":[{"name":"DATE","type":"date","value":"020315"}]})", "item 1 (\"DATE\"): a date value is \"YYYY-MM-DD\""},
    BadMakeCase{"time_form", R"({"items":[{"name":"TIME","type":"time","value":"10:15"}]})", "item 1 (\"TIME\"): a time value is \"HH:MM:SS\""},
    BadMakeCase{"decimal_form", R"({"items":[{"name":"D","type":"decimal","value":"1e5"}]})", "item 1 (\"D\"): a decimal value is a string of digits, such as \"-12.50\""},
    BadMakeCase{"binary_form", R"({"items":[{"name":"X","type":"binary","value":"0f0"}]})", "item 1 (\"X\"): a binary value is a string of hex digit pairs"}),
    CaseName());
// clang-format on

// A message whose header is in written form comes back byte for byte from
// parse --json through make.
TEST_F(Cli, MakeGivesBackWhatParseJsonRead) {
  for (const char* name : {"x12-overview.msg", "edifact-all-fields.msg", "header-only.msg",
                           "malformed-long-class.msg", "malformed-no-terminator.msg"}) {
    fs::path written = dir_ / "written.msg";
    ASSERT_EQ(talmo({"write", sample(name), "-o", written.string()}).status, 0) << name;
    Outcome parsed = talmo({"parse", "--json", written.string()});
    ASSERT_EQ(parsed.status, 0) << name;
    std::string bytes = slurp(written);
    size_t headerBytes = bytes.find(';') + 1;
    fs::path body = file("body", bytes.substr(headerBytes));
    Outcome made = talmo({"make", "-", "--body", body.string()}, parsed.out);
    EXPECT_EQ(made.status, 0) << name << ": " << made.err;
    EXPECT_EQ(made.out, bytes) << name;
  }
}

}  // namespace
