// SPDX-License-Identifier: MIT
// The keys are defined once, in the command table and the three mode tables; the README and the manual page
// describe them. A key added to a table and not to both documents, or a key the documents still name after
// it left the tables, fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
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
  if (key == 27) return "Escape";
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
  keys.insert(token);
  previous = token;
  range = false;
}

// The README's keys section: single characters in backticks, "…" between two of them, and the named keys
// that open a table row.
std::set<std::string> readme_keys() {
  std::set<std::string> keys;
  const std::regex token("`([^`])`|(…)|^\\| (space|Escape) ");
  for (const std::string& line : section(read_source_file("README.md"), "## Keys", "## ")) {
    std::string previous;
    bool range = false;
    for (std::sregex_iterator it(line.begin(), line.end(), token), end; it != end; ++it)
      add_token(keys, previous, range,
                (*it)[1].matched   ? (*it)[1].str()
                : (*it)[2].matched ? "..."
                                   : (*it)[3].str());
  }
  return keys;
}

// The manual page's KEYS section: the bold words of the tag line after each .TP; a quoted " ... " joins two
// keys into a range, other quoted words are punctuation.
std::set<std::string> manual_keys() {
  std::set<std::string> keys;
  const std::vector<std::string> lines =
      section(read_source_file("packaging/solar_demo.1.in"), ".SH KEYS", ".SH ");
  const std::regex token("\"[^\"]*\\.\\.\\.[^\"]*\"|\"[^\"]*\"|(\\S+)");
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i - 1] != ".TP" || lines[i].rfind(".B", 0) != 0) continue;
    const std::string tag =
        std::regex_replace(lines[i].substr(lines[i].find(' ') + 1), std::regex("\\\\-"), "-");
    std::string previous;
    bool range = false;
    for (std::sregex_iterator it(tag.begin(), tag.end(), token), end; it != end; ++it) {
      if ((*it)[1].matched)
        add_token(keys, previous, range, (*it)[1].str());
      else if (it->str().find("...") != std::string::npos)
        add_token(keys, previous, range, "...");
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

}  // namespace
