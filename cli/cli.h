// The subcommand table of veilmark-cli and the option parsing they share. A subcommand is
// one table entry: its name, help texts, the options it accepts and a run function.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace veilmark::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the operation failed: wrong password, unreadable file
inline constexpr int kExitUsage = 2;   // the command line is wrong

struct Option {
  std::string name;       // "--force"
  std::string valueName;  // empty: a flag without value
  std::string help;
};

// Options several subcommands share.
const Option& PasswordFileOption();
const Option& PasswordStdinOption();
const Option& ForceOption();

// A parsed command line of one subcommand.
struct Invocation {
  std::string command;
  std::vector<std::string> operands;
  std::set<std::string> flags;
  std::map<std::string, std::string> values;

  bool Has(const std::string& flag) const { return flags.count(flag) > 0; }
  const std::string* Value(const std::string& option) const {
    const auto it = values.find(option);
    return it == values.end() ? nullptr : &it->second;
  }
};

struct Command {
  std::string name;
  std::string operands;  // synopsis of the operands, e.g. "FILE..."
  std::string summary;   // one line for the overall help
  std::string details;   // the rest of the subcommand's help
  std::vector<Option> options;
  int minOperands = 0;
  int maxOperands = -1;  // -1: any number
  std::function<int(const Invocation&)> run;
};

// Every subcommand, in the order the help lists them.
const std::vector<Command>& Commands();
void AddCryptoCommands(std::vector<Command>& commands);
void AddFolderCommands(std::vector<Command>& commands);
void AddImageCommands(std::vector<Command>& commands);
void AddSlotsCommand(std::vector<Command>& commands);

// Messages on standard error, prefixed with the program name. CR LF line ends of the
// program's texts become plain line feeds.
void PrintError(const std::string& message);
// A path for a message: quoted, its control and bidirectional characters made visible.
std::string Quoted(const std::filesystem::path& path);
// A usage error of `command`: prints the message and a hint, returns kExitUsage.
int UsageError(const std::string& command, const std::string& message);

int Main(int argc, char** argv);

}  // namespace veilmark::cli
