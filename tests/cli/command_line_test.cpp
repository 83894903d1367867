// The command line as data: one number rule for every number our programs
// read, and a parser that takes exactly what a command's data declares.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cli/number_text.h"

namespace {

namespace cli = quillet::cli;
using cli::NumberText;
using cli::readNumber;

TEST(NumberRule, DecimalNumbersWithNothingAroundThem) {
  const struct {
    const char* text;
    double value;
  } accepted[] = {{"48000", 48000.0}, {"+7", 7.0},     {"-0.5", -0.5},  {".25", 0.25},
                  {"5.", 5.0},        {"1e3", 1000.0}, {"1E-2", 0.01},  {"2.5e+1", 25.0},
                  {"007", 7.0},       {"-0", 0.0},     {"1e-999", 0.0}, {"0.000", 0.0}};
  for (const auto& a : accepted) {
    double v = -1.0;
    EXPECT_EQ(readNumber(a.text, &v), NumberText::kNumber) << a.text;
    EXPECT_EQ(v, a.value) << a.text;
  }
  for (const char* text :
       {"",    " 5",    "5 ",   "\t5",   "5\n", "+",  "-",   ".",   "e3",    "1e",
        "1e+", "1.2.3", "0x10", "0x1p3", "1,5", "5s", "--5", "+-5", "1e3.5", "１"}) {
    double v = 123.0;
    EXPECT_EQ(readNumber(text, &v), NumberText::kMalformed) << "'" << text << "'";
    EXPECT_EQ(v, 123.0) << text;  // left alone
  }
  for (const char* text :
       {"nan", "NaN", "-nan", "nan(1)", "inf", "-INF", "+Infinity", "1e999", "-2e308"}) {
    double v = 123.0;
    EXPECT_EQ(readNumber(text, &v), NumberText::kNotFinite) << text;
    EXPECT_EQ(v, 123.0) << text;
  }
}

TEST(NumberRule, WholeNumbersAreASignAndDigitsOnly) {
  double v = 0.0;
  for (const char* text : {"512", "+512", "0512", "-3", "4294967295"}) {
    EXPECT_EQ(cli::readWholeNumber(text, &v), NumberText::kNumber) << text;
    EXPECT_EQ(v, std::fabs(std::atof(text)) * (text[0] == '-' ? -1 : 1)) << text;
  }
  // Whole in value but not in form: what the help's "a whole number" excludes.
  for (const char* text : {"1e3", "0x100", "512.0", "512.", " 512", "512 ", "", "+", "5e0"})
    EXPECT_EQ(cli::readWholeNumber(text, &v), NumberText::kMalformed) << "'" << text << "'";
  EXPECT_EQ(cli::readWholeNumber("inf", &v), NumberText::kNotFinite);
}

int runNothing(const std::vector<std::string>&) { return 0; }

constexpr cli::OptionSpec kOutput =
    cli::text("-o, --output", "FILE", "a file name", "where").required("no output (-o FILE)");
constexpr cli::OptionSpec kSet =
    cli::text("--set", "NAME=VALUE", "NAME=VALUE", "a setting").andRepeatable();
constexpr cli::OptionSpec kBlock =
    cli::wholeNumber("--block", "N", "a whole number", 1, 8192, "frames").byDefault(512);
constexpr cli::OptionSpec kTempo =
    cli::number("--tempo", "BPM", "beats per minute", 0, 999, "tempo").aboveMinimum();
constexpr cli::OptionSpec kTail =
    cli::number("--tail", "auto|S", "seconds", 0, 3600, "tail").orWord("auto");
constexpr cli::OptionSpec kDouble = cli::flag("--double", "64-bit");

const cli::CommandSpec kTool = {"prog",
                                "tool",
                                "a command for the parser's tests",
                                runNothing,
                                {{nullptr,
                                  "IN [OUT]",
                                  "Takes one or two files.",
                                  {1, 2, "no file given", "too many files"},
                                  {kOutput, kSet, kBlock, kTempo, kTail, kDouble}}}};

struct Parsed {
  int status;
  std::string err;
  cli::CommandLine line;
};

Parsed parse(const std::vector<std::string>& args) {
  Parsed p;
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  p.status = cli::readCommandLine(kTool, args, &p.line);
  testing::internal::GetCapturedStdout();
  p.err = testing::internal::GetCapturedStderr();
  return p;
}

TEST(CommandLine, TakesWhatTheDataDeclares) {
  Parsed p = parse({"in.wav", "--set", "a=1", "-o", "x.wav", "--block", "+256", "--set", "b=0",
                    "--tempo", "97.5", "--tail", "3", "--tail", "auto", "--double", "out"});
  ASSERT_EQ(p.status, cli::kRunCommand) << p.err;
  EXPECT_EQ(p.line.positionals(), (std::vector<std::string>{"in.wav", "out"}));
  EXPECT_EQ(p.line.text(kOutput), "x.wav");
  EXPECT_EQ(p.line.texts(kSet), (std::vector<std::string>{"a=1", "b=0"}));
  EXPECT_EQ(p.line.number(kBlock, 512), 256.0);
  EXPECT_EQ(p.line.number(kTempo, 120), 97.5);
  EXPECT_TRUE(p.line.isWord(kTail));  // the last one counts
  EXPECT_EQ(p.line.number(kTail, -1), -1.0);
  EXPECT_TRUE(p.line.has(kDouble));
  // An option of another command: a mistake in the program.
  EXPECT_THROW(p.line.has(cli::flag("--bogus", "")), std::logic_error);

  p = parse({"in.wav", "-o", "x.wav", "--output", "y.wav"});  // any spelling, the last counts
  EXPECT_EQ(p.line.text(kOutput), "y.wav");
  EXPECT_EQ(p.line.number(kBlock, 512), 512.0);
  EXPECT_FALSE(p.line.has(kDouble));

  // A long option's value after '=', split at the first one.
  p = parse({"in.wav", "--output=y.wav", "--set=Delay=0.5", "--block=64", "-o", "z.wav"});
  ASSERT_EQ(p.status, cli::kRunCommand) << p.err;
  EXPECT_EQ(p.line.text(kOutput), "z.wav");
  EXPECT_EQ(p.line.texts(kSet), (std::vector<std::string>{"Delay=0.5"}));
  EXPECT_EQ(p.line.number(kBlock, 512), 64.0);
  EXPECT_EQ(p.line.positionals(), (std::vector<std::string>{"in.wav"}));
}

TEST(CommandLine, EachMistakeIsOneLineThatSaysWhatIsWanted) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } mistakes[] = {
      {{"-o", "x"}, "no file given"},
      {{"a", "b", "c", "-o", "x"}, "too many files"},
      {{"a"}, "no output (-o FILE)"},
      {{"a", "-o"}, "-o needs a file name"},
      {{"a", "-o", "x", "--bogus"}, "unknown option --bogus"},
      {{"a", "-o", "x", "--block"}, "--block needs a whole number from 1 to 8192"},
      {{"a", "-o", "x", "--block", "1e3"}, "--block wants a whole number from 1 to 8192"},
      {{"a", "-o", "x", "--block", "0x100"}, "--block wants a whole number from 1 to 8192"},
      {{"a", "-o", "x", "--block", "8193"}, "--block wants a whole number from 1 to 8192"},
      {{"a", "-o", "x", "--block", "0"}, "--block wants a whole number from 1 to 8192"},
      {{"a", "-o", "x", "--tempo", "0"}, "--tempo wants beats per minute above 0 and up to 999"},
      {{"a", "-o", "x", "--tempo", " 120"}, "--tempo wants beats per minute above 0 and up to 999"},
      {{"a", "-o", "x", "--tempo", "nan"}, "--tempo wants beats per minute above 0 and up to 999"},
      {{"a", "-o", "x", "--tail", "forever"}, "--tail wants auto or seconds from 0 to 3600"},
      {{"a", "-o", "x", "--tail", "inf"}, "--tail wants auto or seconds from 0 to 3600"},
      {{"a", "-o", "x", "--double=yes"}, "--double takes no value"},
      {{"a", "--output=", "x"}, "--output needs a file name"},
      {{"a", "-o", ""}, "-o needs a file name"},
      {{"a", "-o", "x", "--block="}, "--block needs a whole number from 1 to 8192"},
      {{"a", "-o", "x", "--bogus=1"}, "unknown option --bogus"},
  };
  for (const auto& m : mistakes) {
    const Parsed p = parse(m.args);
    EXPECT_EQ(p.status, 2) << m.message;
    EXPECT_EQ(p.err, std::string("prog tool: ") + m.message + " (see prog tool --help)\n");
  }
  // Ranges hold at their ends.
  EXPECT_EQ(parse({"a", "-o", "x", "--block", "8192", "--tempo", "999", "--tail", "3600"}).status,
            cli::kRunCommand);
  EXPECT_EQ(parse({"a", "-o", "x", "--block", "1", "--tempo", "1e-3", "--tail", "0"}).status,
            cli::kRunCommand);
}

// A program's own line (no sub-command) that takes options only, with an exit
// status of its own for mistakes.
TEST(CommandLine, AProgramWithoutSubCommands) {
  cli::CommandSpec program;
  program.program = "prog";
  program.mistakeStatus = 1;
  program.forms = {{nullptr, "[options]", "Runs.", {0, 0, "", ""}, {kDouble}}};
  program.notes = "Exit status: 1 a mistake.";
  cli::CommandLine line;
  testing::internal::CaptureStderr();
  EXPECT_EQ(cli::readCommandLine(program, {"--double", "render"}, &line), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "prog: unexpected argument 'render' (see prog --help)\n");
  testing::internal::CaptureStdout();
  EXPECT_EQ(cli::readCommandLine(program, {"--help"}, &line), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "usage: prog [options]\n"
            "Runs.\n"
            "  --double    64-bit\n"
            "  -h, --help  this text\n"
            "Exit status: 1 a mistake.\n");
}

TEST(CommandLine, HelpComesFromTheSameData) {
  cli::CommandLine line;
  testing::internal::CaptureStdout();
  EXPECT_EQ(cli::readCommandLine(kTool, {"--bogus", "-h"}, &line), 0);
  const std::string help = testing::internal::GetCapturedStdout();
  EXPECT_EQ(help,
            "usage: prog tool IN [OUT]\n"
            "Takes one or two files.\n"
            "  -o, --output FILE  where\n"
            "  --set NAME=VALUE   a setting\n"
            "  --block N          frames (1 to 8192, default 512)\n"
            "  --tempo BPM        tempo (above 0, up to 999)\n"
            "  --tail auto|S      tail (0 to 3600)\n"
            "  --double           64-bit\n"
            "  -h, --help         this text\n");
}

}  // namespace
