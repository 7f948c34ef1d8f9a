// SPDX-License-Identifier: MIT
// The keys are defined once, in the command table and the three mode tables, and the program's own options
// in the option table; --help, the README and the manual page describe them. A key or an option added to a
// table and not to every document, or one the documents still name after it left the tables, fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "demo.h"

namespace {

std::string read_source_file(const std::string& path) {
  std::ifstream in(std::string(SOLAR_SOURCE_DIR) + "/" + path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The lines from the one that starts with `first` up to the next that starts with `next`.
std::vector<std::string> section(const std::string& text, const std::string& first, const std::string& next) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (inside && line.rfind(next, 0) == 0) break;
    if (line.rfind(first, 0) == 0) inside = true;
    if (inside) lines.push_back(line);
  }
  return lines;
}

// A key as the documents write it.
std::string key_name(char key) {
  if (key == ' ') return "space";
  if (static_cast<unsigned char>(key) == inspect_key) return "Shift+space";
  if (key == 27) return "Escape";
  if (key == '\t') return "Tab";
  if (key == '\b') return "Backspace";
  if (static_cast<unsigned char>(key) >= first_lesson_key)
    return describe_key(static_cast<unsigned char>(key));
  return std::string(1, key);
}

// Adds a token to the keys; a token "..." between two keys stands for every key from one to the other.
void add_token(std::set<std::string>& keys, std::string& previous, bool& range, const std::string& token) {
  if (token == "...") {
    range = true;
    return;
  }
  if (range && previous.size() == 1 && token.size() == 1)
    for (char k = previous[0]; k < token[0]; ++k) keys.insert(std::string(1, k));
  if (range && previous == "F1" && token == "F12")
    for (int f = 2; f < 12; ++f) keys.insert("F" + std::to_string(f));
  keys.insert(token);
  previous = token;
  range = false;
}

// The README's keys section: single characters in backticks, "…" between two of them, and the named keys
// that open a table row. Read by hand rather than with <regex>, inside which GCC 12 warns of a variable that
// may be used uninitialised when the sanitizers are on.
std::set<std::string> readme_keys() {
  std::set<std::string> keys;
  const std::string ellipsis = "…";
  for (const std::string& line : section(read_source_file("README.md"), "## Keys", "## ")) {
    std::string previous;
    bool range = false;
    size_t at = 0;
    if (line.rfind("| F1 " + ellipsis + " F12 ", 0) == 0)
      for (int f = 1; f <= 12; ++f) keys.insert("F" + std::to_string(f));
    for (const char* named : {"space", "Shift+space", "Backspace", "Tab", "Escape"})
      if (line.rfind(std::string("| ") + named + " ", 0) == 0) {
        add_token(keys, previous, range, named);
        at = 3 + std::string(named).size();
      }
    while (at < line.size()) {
      if (line[at] == '`' && at + 2 < line.size() && line[at + 1] != '`' && line[at + 2] == '`') {
        add_token(keys, previous, range, line.substr(at + 1, 1));
        at += 3;
      } else if (line.compare(at, ellipsis.size(), ellipsis) == 0) {
        add_token(keys, previous, range, "...");
        at += ellipsis.size();
      } else {
        ++at;
      }
    }
  }
  return keys;
}

// The manual page's KEYS section: the bold words of the tag line after each .TP; a quoted " ... " joins two
// keys into a range, other quoted words are punctuation.
std::set<std::string> manual_keys() {
  std::set<std::string> keys;
  const std::vector<std::string> lines =
      section(read_source_file("packaging/solar_demo.1.in"), ".SH KEYS", ".SH ");
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i - 1] != ".TP" || lines[i].rfind(".B", 0) != 0) continue;
    std::string tag = lines[i].substr(lines[i].find(' ') + 1);
    for (size_t escaped; (escaped = tag.find("\\-")) != std::string::npos;) tag.erase(escaped, 1);
    std::string previous;
    bool range = false;
    for (size_t at = 0; at < tag.size();) {
      if (tag[at] == ' ') {
        ++at;
      } else if (const size_t close = tag.find('"', at + 1); tag[at] == '"' && close != std::string::npos) {
        if (tag.substr(at, close - at).find("...") != std::string::npos)
          add_token(keys, previous, range, "...");
        at = close + 1;
      } else {
        const size_t end = std::min(tag.find(' ', at), tag.size());
        add_token(keys, previous, range, tag.substr(at, end - at));
        at = end;
      }
    }
  }
  return keys;
}

std::set<std::string> table_keys() {
  std::set<std::string> keys;
  for (const std::string& row : demo_command_keys())
    for (char k : row) keys.insert(key_name(k));
  for (navigation_mode mode : {LOOKAT, RELATIVE, GEOSYNCH})
    for (const key_binding& row : ship_key_table(mode))
      for (const char* k = row.keys; *k != '\0'; ++k) keys.insert(key_name(*k));
  return keys;
}

TEST(KeyTables, TheReadmeAndTheManualPageNameEveryKeyAndNoOther) {
  const std::set<std::string> tables = table_keys();
  ASSERT_GT(tables.size(), 30u);
  EXPECT_EQ(readme_keys(), tables);
  EXPECT_EQ(manual_keys(), tables);
}

// The options a text names: every word that starts with "-" once the brackets, bars, backticks and the
// manual page's escapes are gone, up to any value written on to it ("--keys=g" is "--keys").
std::set<std::string> option_words(std::string text) {
  for (size_t escaped; (escaped = text.find("\\-")) != std::string::npos;) text.erase(escaped, 1);
  for (char& c : text)
    if (std::string("[]|`\"(),;").find(c) != std::string::npos) c = ' ';
  std::set<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;)
    if (word.size() > 1 && word[0] == '-' && std::isalpha(static_cast<unsigned char>(word.back())))
      words.insert(word);
  return words;
}

std::set<std::string> without(const std::set<std::string>& all, const std::set<std::string>& these) {
  std::set<std::string> left;
  std::set_difference(all.begin(), all.end(), these.begin(), these.end(), std::inserter(left, left.end()));
  return left;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(OptionTable, HelpTheReadmeAndTheManualPageNameEveryOptionAndNoOther) {
  std::set<std::string> names, spellings;
  for (const option_row& row : option_table) {
    names.insert(row.name);
    spellings.insert(row.name);
    if (row.alias != nullptr) spellings.insert(row.alias);
  }
  const std::string usage_text = compute_usage_text("M", "S");
  const std::string usage = usage_text.substr(0, usage_text.find("\n\n"));  // how to call it
  std::set<std::string> readable = spellings;
  readable.insert("-display");  // GLUT's, which the texts give as an example
  EXPECT_EQ(option_words(usage), readable);
  const std::string readme = joined(section(read_source_file("README.md"), "## Run", "## "));
  std::set<std::string> in_readme = option_words(readme);
  in_readme.erase("-X");  // ssh's, to reach a display
  EXPECT_EQ(without(in_readme, readable), std::set<std::string>{});
  EXPECT_EQ(without(names, in_readme), std::set<std::string>{});
  const std::string manual = read_source_file("packaging/solar_demo.1.in");
  const std::vector<std::string> options = section(manual, ".SH OPTIONS", ".SH KEYS");
  std::string tags;
  for (size_t i = 1; i < options.size(); ++i)
    if (options[i - 1] == ".TP") tags += options[i] + "\n";
  EXPECT_EQ(option_words(tags), spellings);
  const std::string synopsis = joined(section(manual, ".SH SYNOPSIS", ".SH "));
  readable.erase("-display");
  EXPECT_EQ(option_words(synopsis), readable);
  for (const option_row& row : option_table)
    for (const char* word : row.value_words) {
      if (word == nullptr) continue;
      for (const std::string* text : {&usage, &readme, &synopsis})
        EXPECT_NE(text->find(word), std::string::npos) << row.name << " " << word << " missing from\n"
                                                       << *text;
    }
}

}  // namespace
