#include "cli/help_pages.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <vector>

#include "core/text_encoding.h"

namespace kv::cli {
namespace {

// Said in the help of every command that writes files.
const char* const kWritingHelp =
    "\n"
    "Every command that writes files takes -q/--quiet (only errors are shown) and\n"
    "-v/--verbose (each file is named as it is written), and --output for -o. A\n"
    "file is written whole under its name or not at all; an existing file kept on\n"
    "purpose (--overwrite skip, or No to the question) is a success (status 0).\n"
    "--json output is stable: its keys keep their names and meaning.\n";

// The values an option takes, for completion; an option not here takes a
// file, and those of kFolderOptions a folder.
const std::map<std::string, std::string> kOptionValues = {{"--overwrite", "ask skip overwrite"},
                                                          {"--literals", "binary text"},
                                                          {"--dict", "1024 2048 4096"},
                                                          {"--exclude", "team star thrower"}};
const char* const kFolderOptions = "-o|--output|--names";

std::vector<std::string> Paragraphs(const std::string& text) {
  std::vector<std::string> paragraphs;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find("\n\n", start), text.size());
    std::string paragraph = text.substr(start, end - start);
    while (!paragraph.empty() && paragraph.back() == '\n')
      paragraph.pop_back();
    paragraphs.push_back(paragraph);
    start = end + 2;
  }
  return paragraphs;
}

// The usage entries of a help (its first paragraph), each with its
// continuation lines, without "usage: ".
std::vector<std::string> UsageEntries(const std::string& help) {
  std::vector<std::string> entries;
  std::istringstream lines(Paragraphs(help).front());
  for (std::string line; std::getline(lines, line);) {
    const std::size_t text = line.find_first_not_of(' ', line.rfind("usage: ", 0) == 0 ? 7 : 0);
    if (text == 7 || entries.empty()) {
      entries.push_back(line.substr(text));
    } else {
      entries.back() += "\n" + line.substr(std::min<std::size_t>(7, text)); // aligned without "usage: "
    }
  }
  return entries;
}

bool StartsSection(const std::string& paragraph, const std::string& action) {
  return paragraph.rfind(action + "  ", 0) == 0;
}

std::string ManText(const std::string& text) {
  std::string out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::string escaped;
    for (std::size_t i = 0; i < line.size(); ++i) {
      std::size_t next = i;
      const std::optional<std::uint32_t> code = DecodeUtf8(line, next);
      if (code && *code >= 0x80) { // troff takes it as \[uXXXX]
        char hex[16];
        std::snprintf(hex, sizeof hex, "\\[u%04X]", static_cast<unsigned>(*code));
        escaped += hex;
        i = next - 1;
      } else {
        escaped += line[i] == '\\'  ? std::string("\\e")
                   : line[i] == '-' ? std::string("\\-")
                                    : std::string(1, line[i]);
      }
    }
    out += (!escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'') ? "\\&" : "") + escaped + "\n";
  }
  return out;
}

// The rows of the table that make up the command `name`, in table order:
// a command may take a row for each group of its actions.
std::vector<const CommandInfo*> RowsOf(const std::string& name) {
  std::vector<const CommandInfo*> rows;
  for (const CommandInfo& command : Commands())
    if (name == command.name) rows.push_back(&command);
  return rows;
}

// True for the first row of its command, which stands for all of them.
bool StandsForCommand(const CommandInfo& command) {
  return RowsOf(command.name).front() == &command;
}

} // namespace

std::string MainHelp() {
  std::string help =
      "usage: vorevuvo COMMAND [ARGS...]\n\nExplores and converts the data files of the game.\n\n"
      "commands:\n";
  for (const CommandInfo& command : Commands())
    if (StandsForCommand(command))
      help += "  " + (command.name + std::string(13, ' ')).substr(0, 13) + command.summary + "\n";
  return help + "\n'vorevuvo help COMMAND' or 'vorevuvo COMMAND --help' tells more about each;\n"
                "'vorevuvo --version' (-V) names the version. Exit status: 0 success, 1 failure,\n"
                "2 bad usage.\n";
}

std::string CommandHelp(const CommandInfo& command) {
  std::string help;
  bool writes = false;
  for (const CommandInfo* row : RowsOf(command.name)) {
    help += (help.empty() ? "" : "\n") + std::string(row->help);
    writes = writes || row->writes;
  }
  return help + (writes ? kWritingHelp : "");
}

std::string ActionHelp(const CommandInfo& command, const std::string& action) {
  const std::string prefix = std::string("vorevuvo ") + command.name + " " + action + " ";
  std::string help;
  for (const std::string& entry : UsageEntries(command.help))
    if (entry.rfind(prefix, 0) == 0) {
      std::string usage = "usage: " + entry;
      for (std::size_t at = usage.find('\n'); at != std::string::npos; at = usage.find('\n', at + 1))
        usage.insert(at + 1, 7, ' ');
      help += usage + "\n";
    }
  // The action's section: its paragraph and the indented ones after it.
  // The other paragraphs, and indented ones before any section, are about
  // every action.
  enum class Part { General, Mine, Other } part = Part::General;
  const std::vector<std::string> paragraphs = Paragraphs(command.help);
  for (std::size_t i = 1; i < paragraphs.size(); ++i) {
    const std::string& paragraph = paragraphs[i];
    if (StartsSection(paragraph, action)) {
      part = Part::Mine;
    } else if (std::any_of(command.actions.begin(), command.actions.end(),
                           [&](const std::string& other) { return StartsSection(paragraph, other); })) {
      part = Part::Other;
    } else if (paragraph.rfind(' ', 0) != 0) {
      part = Part::General;
    }
    if (part != Part::Other) help += "\n" + paragraph + "\n";
  }
  return help + (command.writes ? kWritingHelp : "");
}

std::string ManPage() {
  std::string page =
      std::string(".TH VOREVUVO 1 \"\" \"vorevuvo ") + kVersion + "\" \"User Commands\"\n" +
      ".SH NAME\nvorevuvo \\- explore and convert the data files of the game\n.SH SYNOPSIS\n.nf\n";
  for (const CommandInfo& command : Commands())
    for (const std::string& entry : UsageEntries(command.help))
      page += ManText(entry);
  page += ".fi\n.SH DESCRIPTION\n.nf\n" + ManText(MainHelp()) + ".fi\n.SH COMMANDS\n";
  for (const CommandInfo& command : Commands())
    if (StandsForCommand(command))
      page += std::string(".SS ") + command.name + "\n.nf\n" + ManText(CommandHelp(command)) + ".fi\n";
  return page + ".SH EXIT STATUS\n0 on success, 1 on failure, 2 on bad usage.\n";
}

std::string BashCompletion() {
  std::string script = "# bash completion for vorevuvo, made by 'vorevuvo help --bash-completion'\n"
                       "_vorevuvo() {\n"
                       "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} words=\"\"\n"
                       "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
                       "    COMPREPLY=($(compgen -W \"help --help --version";
  for (const CommandInfo& command : Commands())
    if (StandsForCommand(command)) script += std::string(" ") + command.name;
  script += "\" -- \"$cur\"))\n    return\n  fi\n  case $prev in\n";
  for (const auto& [option, values] : kOptionValues)
    script += "    " + option + ") COMPREPLY=($(compgen -W \"" + values + "\" -- \"$cur\")); return ;;\n";
  script += std::string("    ") + kFolderOptions +
            ") COMPREPLY=($(compgen -d -- \"$cur\")); return ;;\n  esac\n" + "  case ${COMP_WORDS[1]} in\n";
  for (const CommandInfo& command : Commands()) {
    if (!StandsForCommand(command)) continue;
    std::vector<std::string> words = {"--help"};
    std::string actions;
    bool writes = false;
    const auto add = [&](const std::string& word) {
      if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
    };
    for (const CommandInfo* row : RowsOf(command.name)) {
      for (const std::string& option : row->syntax->value_options) {
        add(option);
        if (option == "-o") add("--output");
      }
      for (const std::string& option : row->syntax->switch_options)
        add(option);
      for (const std::string& action : row->actions)
        actions += (actions.empty() ? "" : " ") + action;
      writes = writes || row->writes;
    }
    std::string options;
    for (const std::string& word : words)
      options += (options.empty() ? "" : " ") + word;
    if (writes) options += " -q --quiet -v --verbose";
    script += std::string("    ") + command.name + ") words=\"" + options + "\"";
    if (!actions.empty())
      script += "; [ \"$COMP_CWORD\" -eq 2 ] && { COMPREPLY=($(compgen -W \"" + actions +
                "\" -- \"$cur\")); return; }";
    script += " ;;\n";
  }
  return script + "  esac\n"
                  "  if [[ $cur == -* ]]; then\n"
                  "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
                  "  else\n"
                  "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
                  "  fi\n"
                  "}\n"
                  "complete -o filenames -F _vorevuvo vorevuvo\n";
}

} // namespace kv::cli
