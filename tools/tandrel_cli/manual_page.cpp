// tandrel_manual_page TEMPLATE VERSION OUTPUT: writes the tandrel(1) manual page. Its
// commands, options, settings and exit codes come from the tables `tandrel --help` prints,
// so that the page cannot say other than the tool; the rest is the template's prose, whose
// lines @COMMANDS@, @OPTIONS@, @COMMAND_OPTIONS@, @SETTINGS@ and @EXIT_STATUS@ are replaced
// and in which @VERSION@ becomes VERSION.
#include <cctype>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "commands.h"
#include "control_catalog.h"
#include "exit_codes.h"
#include "invocation.h"

namespace cli {
namespace {

constexpr size_t kLineBytes = 80;

// Text lines of at most 80 bytes where spaces allow (roff joins them again); a line that
// would start with a dot or a quote is kept from being read as a request.
std::string Lines(const std::string& text) {
  std::string out, line;
  const auto flush = [&] {
    if (line.empty()) return;
    if (line[0] == '.' || line[0] == '\'') line.insert(0, "\\&");
    out += line + "\n";
    line.clear();
  };
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > kLineBytes) flush();
    if (!word.empty()) line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  flush();
  return out;
}

// Running text: backslashes and hyphens escaped, `quoted` words bold and not hyphenated, the
// help's line breaks joined.
std::string Roff(const std::string& text) {
  std::string out;
  bool bold = false;
  for (const char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else if (c == '`') {
      out += bold ? "\\fR" : "\\fB\\%";
      bold = !bold;
    } else if (c == '\n') {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

bool IsPlaceholder(const std::string& word) {
  bool letter = false;
  for (const char c : word) {
    if (std::islower(static_cast<unsigned char>(c)) || c == '-') return false;
    letter = letter || std::isupper(static_cast<unsigned char>(c));
  }
  return letter;
}

// A synopsis or an option's spelling: words to type bold, placeholders (upper case) italic,
// brackets, bars and commas roman.
std::string Synopsis(const std::string& text) {
  std::string out, word;
  const auto flush = [&] {
    if (word.empty()) return;
    out += (IsPlaceholder(word) ? "\\fI\\%" : "\\fB\\%") + Roff(word) + "\\fR";
    word.clear();
  };
  for (const char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-') {
      word += c;
    } else {
      flush();
      out += c;
    }
  }
  flush();
  return out;
}

void Commands(std::ostream& out) {
  for (const CommandInfo* c = CommandsBegin(); c != CommandsEnd(); ++c) {
    if (c != CommandsBegin()) out << ".PP\n";
    std::string synopsis = c->synopsis;
    for (size_t bar; (bar = synopsis.find(" | ")) != std::string::npos;) {
      out << Lines(Synopsis(synopsis.substr(0, bar))) << ".br\n";
      synopsis.erase(0, bar + 3);
    }
    out << Lines(Synopsis(synopsis)) << ".RS\n" << Lines(Roff(c->help)) << ".RE\n";
  }
}

void Options(std::ostream& out, const char* command) {
  for (const OptionHelp& option : OptionsOf(command))
    out << ".TP\n" << Synopsis(option.names) << "\n" << Lines(Roff(option.text));
}

void CommandOptions(std::ostream& out) {
  for (const CommandInfo* c = CommandsBegin(); c != CommandsEnd(); ++c) Options(out, c->name);
}

std::string Plural(size_t count, const char* what) {
  if (count == 0) return std::string("no ") + what;
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

void Settings(std::ostream& out) {
  for (const Control* c = ControlsBegin(); c != ControlsEnd(); ++c) {
    std::string text = std::string(c->family) + ".";
    if (c->get != nullptr) {
      text += std::string(" get") + (c->indexed ? " INDEX" : "") + " reads " +
              Plural(c->getCount, "value") + ".";
    }
    if (c->set != nullptr) {
      text += " set takes " + Plural(c->setCount, "value");
      for (size_t i = 0; i < c->setCount; ++i)
        text += std::string(i == 0 ? ": " : ", ") + "0.." + std::to_string(c->setLargest[i]);
      text += ".";
    }
    out << ".TP\n.B \\%" << Roff(c->name) << "\n" << Lines(Roff(text));
  }
}

void ExitStatus(std::ostream& out) {
  for (const ExitCodeHelp& exit : kExitCodeHelp)
    out << ".TP\n.B " << exit.code << "\n" << Lines(Roff(exit.meaning));
}

bool Expand(std::istream& in, std::ostream& out, const std::string& version) {
  const struct {
    const char* line;
    void (*write)(std::ostream&);
  } kSections[] = {
      {"@COMMANDS@", Commands},
      {"@OPTIONS@", [](std::ostream& o) { Options(o, nullptr); }},
      {"@COMMAND_OPTIONS@", CommandOptions},
      {"@SETTINGS@", Settings},
      {"@EXIT_STATUS@", ExitStatus},
  };
  for (std::string line; std::getline(in, line);) {
    bool replaced = false;
    for (const auto& section : kSections) {
      if (line == section.line) {
        section.write(out);
        replaced = true;
      }
    }
    if (replaced) continue;
    for (size_t at; (at = line.find("@VERSION@")) != std::string::npos;)
      line.replace(at, 9, version);
    if (line.find('@') != std::string::npos) {
      std::cerr << "tandrel_manual_page: unknown placeholder in: " << line << "\n";
      return false;
    }
    out << line << "\n";
  }
  return true;
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: tandrel_manual_page TEMPLATE VERSION OUTPUT\n";
    return 1;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "tandrel_manual_page: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream page;
  if (!cli::Expand(in, page, argv[2])) return 1;
  std::ofstream out(argv[3], std::ios::binary);
  out << page.str();
  if (!out.flush()) {
    std::cerr << "tandrel_manual_page: cannot write " << argv[3] << "\n";
    return 1;
  }
  return 0;
}
