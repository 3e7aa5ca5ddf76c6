#include "cli/cli.h"

#include "core/base/text_util.h"
#include "core/image/imaging.h"

#include <wx/init.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace veilmark::cli {

namespace {

constexpr char kProgram[] = "veilmark-cli";

void PrintOverallHelp(std::ostream& out) {
  out << "Usage: " << kProgram << " COMMAND [OPTIONS] [OPERANDS]\n"
      << "       " << kProgram << " COMMAND --help\n\n"
      << "Hides files and messages in images, finds them again, and encrypts files,\n"
      << "folders and messages with Veilmark's formats.\n\nCommands:\n";
  for (const Command& c : Commands()) {
    std::string head = "  " + c.name;
    head.resize(std::max<std::size_t>(head.size() + 2, 18), ' ');
    out << head << c.summary << "\n";
  }
  out << "\nPasswords are never taken from the command line. They are read from a file or\n"
      << "standard input, one per line (up to five, tried in order; the first one\n"
      << "encrypts); otherwise the passwords stored by the desktop program are used (the\n"
      << "selected one encrypts); when none is stored they are asked for on the terminal.\n\n"
      << "Exit status: 0 success, 1 the operation failed, 2 usage error.\n";
}

void PrintCommandHelp(const Command& c, std::ostream& out) {
  out << "Usage: " << kProgram << " " << c.name << (c.options.empty() ? "" : " [OPTIONS]")
      << (c.operands.empty() ? "" : " " + c.operands) << "\n\n"
      << c.summary << "\n\n"
      << c.details;
  if (!c.options.empty()) out << "\nOptions:\n";
  for (const Option& o : c.options) {
    std::string head = "  " + o.name + (o.valueName.empty() ? "" : " " + o.valueName);
    head.resize(std::max<std::size_t>(head.size() + 2, 26), ' ');
    out << head << o.help << "\n";
  }
}

const Command* FindCommand(const std::string& name) {
  for (const Command& c : Commands())
    if (c.name == name) return &c;
  return nullptr;
}

// Parses the arguments after the subcommand name; "--name value", "--name=value" and
// "--" (everything after it is an operand).
bool Parse(const Command& command, int argc, char** argv, Invocation& inv, bool& help) {
  inv.command = command.name;
  bool optionsEnded = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      inv.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    }
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const Option* option = nullptr;
    for (const Option& o : command.options)
      if (o.name == name) option = &o;
    if (!option) {
      UsageError(command.name, "unknown option '" + name + "'");
      return false;
    }
    if (option->valueName.empty()) {
      if (eq != std::string::npos) {
        UsageError(command.name, "option '" + name + "' takes no value");
        return false;
      }
      inv.flags.insert(name);
    } else if (eq != std::string::npos) {
      inv.values[name] = arg.substr(eq + 1);
    } else if (i + 1 < argc) {
      inv.values[name] = argv[++i];
    } else {
      UsageError(command.name, "option '" + name + "' needs a value");
      return false;
    }
  }
  const int count = static_cast<int>(inv.operands.size());
  if (count < command.minOperands || (command.maxOperands >= 0 && count > command.maxOperands)) {
    UsageError(command.name, command.operands.empty()      ? "takes no operands"
                             : count < command.minOperands ? "missing operand: " + command.operands
                                                           : "too many operands");
    return false;
  }
  return true;
}

}  // namespace

const Option& PasswordFileOption() {
  static const Option option{"--password-file", "FILE",
                             "read the passwords from FILE, one per line"};
  return option;
}

const Option& PasswordStdinOption() {
  static const Option option{"--password-stdin", "",
                             "read the passwords from standard input, one per line"};
  return option;
}

const Option& ForceOption() {
  static const Option option{"--force", "", "replace an output file that already exists"};
  return option;
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = [] {
    std::vector<Command> list;
    AddCryptoCommands(list);
    AddFolderCommands(list);
    AddImageCommands(list);
    AddSlotsCommand(list);
    return list;
  }();
  return commands;
}

void PrintError(const std::string& message) {
  std::string text;
  text.reserve(message.size());
  for (std::size_t i = 0; i < message.size(); ++i)
    if (message[i] != '\r' || i + 1 >= message.size() || message[i + 1] != '\n') text += message[i];
  std::cerr << kProgram << ": " << text << std::endl;
}

std::string Quoted(const std::filesystem::path& path) {
  return "'" + VisibleText(path.string()) + "'";
}

int UsageError(const std::string& command, const std::string& message) {
  PrintError((command.empty() ? "" : command + ": ") + message);
  std::cerr << "Try '" << kProgram << (command.empty() ? "" : " " + command) << " --help'."
            << std::endl;
  return kExitUsage;
}

int Main(int argc, char** argv) {
#ifdef SIGXFSZ
  // Past a file-size limit, let writes fail and be cleaned up rather than kill us midway.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  if (argc < 2) {
    PrintOverallHelp(std::cerr);
    return kExitUsage;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    if (argc > 2) {
      if (const Command* c = FindCommand(argv[2])) {
        PrintCommandHelp(*c, std::cout);
        return kExitOk;
      }
      return UsageError("", "unknown command '" + std::string(argv[2]) + "'");
    }
    PrintOverallHelp(std::cout);
    return kExitOk;
  }
  const Command* command = FindCommand(name);
  if (!command) return UsageError("", "unknown command '" + name + "'");
  Invocation inv;
  bool help = false;
  if (!Parse(*command, argc - 2, argv + 2, inv, help)) return kExitUsage;
  if (help) {
    PrintCommandHelp(*command, std::cout);
    return kExitOk;
  }
  // The image codecs and the settings store belong to wxWidgets.
  wxInitializer wx;
  wxDISABLE_ASSERTS_IN_RELEASE_BUILD();  // never stop a script to ask about a decoder check
  if (!wx.IsOk()) {
    PrintError("cannot initialise wxWidgets");
    return kExitFailed;
  }
  image::InitImageHandlers();
  return command->run(inv);
}

}  // namespace veilmark::cli
