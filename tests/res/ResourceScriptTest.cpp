// ResourceScriptTest.cpp
// Checks the language files of the resource script: that they parse, that the
// languages agree on the controls of each template, that the resource ids do not
// collide, and a few texts and positions that are easy to get wrong.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <stdexcept>

#include "fake/ResourceScript.h"
#include "res/resource.h"

namespace {

using fake::ControlKind;
using fake::ControlTemplate;
using fake::DialogTemplate;
using fake::LanguageResources;
using fake::LoadLanguageResources;

constexpr uint32_t kWsGroup = 0x00020000;
constexpr uint32_t kWsTabStop = 0x00010000;
constexpr uint32_t kWsExAppWindow = 0x00040000;
constexpr uint32_t kSsCenter = 0x1;

struct LanguageFile {
  const char* name;
  int languageId;
  std::set<int> dialogs;
};

const LanguageFile kLanguages[] = {
    {"en-US.rc", 0x0409, {100, 102, 131, 132}},
    {"zh-TW.rc", 0x0404, {102, 132}},
    {"fr-FR.rc", 0x040C, {102}},
    {"ja-JP.rc", 0x0411, {102}},
    {"ko-KR.rc", 0x0412, {102}},
};

LanguageResources Load(const std::string& name) {
  return LoadLanguageResources(fake::LanguageFolder() + "/" + name);
}

const ControlTemplate& ControlById(const DialogTemplate& dialog, int id) {
  for (const ControlTemplate& control : dialog.controls) {
    if (control.id == id) return control;
  }
  throw std::runtime_error("no control " + std::to_string(id));
}

TEST(ResourceScriptTest, EveryLanguageFileParsesWithItsLanguageAndTemplates) {
  std::set<std::string> expectedFiles;
  for (const LanguageFile& language : kLanguages) {
    expectedFiles.insert(language.name);
    SCOPED_TRACE(language.name);
    LanguageResources resources;
    ASSERT_NO_THROW(resources = Load(language.name));
    EXPECT_EQ(resources.languageId, language.languageId);
    std::set<int> dialogs;
    for (const auto& entry : resources.dialogs) dialogs.insert(entry.first);
    EXPECT_EQ(dialogs, language.dialogs);
  }
  // No language file that the tests would not look at.
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(fake::LanguageFolder())) {
    files.insert(entry.path().filename().string());
  }
  EXPECT_EQ(files, expectedFiles);
}

// The program's message texts: every language has the whole block of them
// (a language missing one would show an empty text, not the English one),
// each translated, with the number's place kept. The about-box menu text is
// English only.
TEST(ResourceScriptTest, EveryLanguageHasEachMessageTextTranslated) {
  const std::map<int, std::string> english = Load("en-US.rc").strings;
  EXPECT_EQ(english.at(101), "&About Setup...");
  for (const LanguageFile& language : kLanguages) {
    SCOPED_TRACE(language.name);
    std::map<int, std::string> texts = Load(language.name).strings;
    if (language.languageId == 0x0409) texts.erase(101);
    std::set<int> ids;
    for (const auto& [id, text] : texts) {
      ids.insert(id);
      EXPECT_FALSE(text.empty()) << id;
      EXPECT_EQ(text.find("%1") != std::string::npos,
                english.at(id).find("%1") != std::string::npos)
          << id;
      if (language.languageId != 0x0409) {
        EXPECT_NE(text, english.at(id)) << id;
      }
    }
    std::set<int> expected{192, 193, 194, 195, 196, 197, 198, 199, 200, 201, 202, 203, 204};
    for (int id = IDS_HELP_SWITCHES; id <= IDS_HELP_EXIT_OTHER; ++id) expected.insert(id);
    EXPECT_EQ(ids, expected);
  }
}

TEST(ResourceScriptTest, TranslationsKeepTheEnglishControlsAndDialogStyle) {
  const LanguageResources english = Load("en-US.rc");
  for (const LanguageFile& language : kLanguages) {
    const LanguageResources translated = Load(language.name);
    for (const auto& [id, dialog] : translated.dialogs) {
      SCOPED_TRACE(std::string(language.name) + " template " + std::to_string(id));
      const DialogTemplate& reference = english.dialogs.at(id);
      EXPECT_EQ(dialog.style, reference.style);
      EXPECT_EQ(dialog.exStyle, reference.exStyle);
      EXPECT_EQ(dialog.extended, reference.extended);
      EXPECT_EQ(dialog.fontName, reference.fontName);
      EXPECT_EQ(dialog.pointSize, reference.pointSize);
      ASSERT_EQ(dialog.controls.size(), reference.controls.size());
      for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const ControlTemplate& control = dialog.controls[i];
        const ControlTemplate& expected = reference.controls[i];
        EXPECT_EQ(control.id, expected.id) << "control " << i;
        EXPECT_EQ(control.kind, expected.kind) << "control " << i;
        EXPECT_EQ(control.groupStart, expected.groupStart) << "control " << i;
        EXPECT_EQ(control.tabStop, expected.tabStop) << "control " << i;
        EXPECT_FALSE(control.disabled) << "control " << i;
      }
    }
  }
}

// Ids of dialogs, strings, icons and menu commands are unique. Control ids may
// repeat across dialogs (1000 and 1001 exist in two), never within one dialog.
TEST(ResourceScriptTest, ResourceIdsDoNotCollide) {
  std::ifstream header(SOURCE_DIR "/src/res/resource.h");
  ASSERT_TRUE(header);
  const std::regex define(R"(^#define\s+(\w+)\s+(\S+))");
  std::map<long, std::vector<std::string>> namesByValue;
  std::string line;
  while (std::getline(header, line)) {
    std::smatch match;
    if (std::regex_search(line, match, define)) {
      namesByValue[std::stol(match[2], nullptr, 0)].push_back(match[1]);
    }
  }
  ASSERT_FALSE(namesByValue.empty());
  for (const auto& [value, names] : namesByValue) {
    if (names.size() < 2) continue;
    for (const std::string& name : names) {
      EXPECT_EQ(name.rfind("IDC_", 0), 0u) << name << " shares the value " << value;
    }
  }
  for (const LanguageFile& language : kLanguages) {
    for (const auto& [id, dialog] : Load(language.name).dialogs) {
      std::set<int> seen;
      for (const ControlTemplate& control : dialog.controls) {
        if (control.id == -1) continue;
        EXPECT_TRUE(seen.insert(control.id).second)
            << language.name << " template " << id << " repeats control " << control.id;
      }
    }
  }
}

TEST(ResourceScriptTest, TextsAndLayoutOfTheMainDialog) {
  const DialogTemplate english = Load("en-US.rc").dialogs.at(102);
  EXPECT_TRUE(english.extended);
  EXPECT_EQ(english.exStyle, kWsExAppWindow);
  EXPECT_EQ(english.caption, "Tonivo Device Driver And Applications Setup Program");
  EXPECT_EQ(english.controls.front().kind, ControlKind::DefPushButton);

  // Half-width katakana, trailing blanks kept.
  const DialogTemplate japanese = Load("ja-JP.rc").dialogs.at(102);
  EXPECT_EQ(japanese.caption, "Tonivo ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ/ｱﾌﾟﾘｹｰｼｮﾝ ｲﾝｽﾄｰﾙﾌﾟﾛｸﾞﾗﾑ ");
  EXPECT_EQ(ControlById(japanese, 2).text, "ｷｬﾝｾﾙ ");
  EXPECT_EQ(ControlById(japanese, 1001).text, "ｱﾌﾟﾘｹｰｼｮﾝをｲﾝｽﾄｰﾙする ");
  EXPECT_EQ(ControlById(japanese, 1001).cx, 130);

  const DialogTemplate french = Load("fr-FR.rc").dialogs.at(102);
  EXPECT_EQ(std::make_pair(french.cx, french.cy), std::make_pair(189, 126));
  const ControlTemplate& wait = ControlById(french, 1003);
  EXPECT_EQ((std::vector<int>{wait.x, wait.y, wait.cx, wait.cy}),
            (std::vector<int>{50, 45, 96, 8}));
  EXPECT_EQ(ControlById(french, 1002).cx, 135);

  const DialogTemplate korean = Load("ko-KR.rc").dialogs.at(102);
  EXPECT_EQ(korean.cy, 125);
  EXPECT_EQ(ControlById(korean, 1003).style & 0x1F, kSsCenter);
  EXPECT_EQ(ControlById(korean, 1003).x, 25);
}

TEST(ResourceScriptTest, RestartPromptRadioButtonsShareTheTextsGroup) {
  const DialogTemplate english = Load("en-US.rc").dialogs.at(132);
  EXPECT_EQ(english.fontName, "Courier New");
  EXPECT_EQ(english.pointSize, 10);
  EXPECT_EQ(english.controls.at(1).text,
            "The audio driver has installed into your computer. Before you use the functions of "
            "this new driver, you must restart Windows or your computer.");
  EXPECT_EQ(english.controls.at(1).cy, 35);
  EXPECT_EQ(Load("zh-TW.rc").dialogs.at(132).controls.at(1).cy, 30);
  for (const char* file : {"en-US.rc", "zh-TW.rc"}) {
    const DialogTemplate restart = Load(file).dialogs.at(132);
    for (int id : {1000, 1001}) {
      const ControlTemplate& radio = ControlById(restart, id);
      EXPECT_EQ(radio.kind, ControlKind::AutoRadioButton) << file << " " << id;
      EXPECT_EQ(radio.style & (kWsGroup | kWsTabStop), 0u) << file << " " << id;
    }
  }
}

TEST(ResourceScriptTest, AboutBoxAndOptionsDialog) {
  const LanguageResources english = Load("en-US.rc");
  const DialogTemplate about = english.dialogs.at(100);
  EXPECT_FALSE(about.extended);
  EXPECT_EQ(about.controls.at(0).kind, ControlKind::Icon);
  EXPECT_EQ(about.controls.at(0).text, "#128");

  // Each radio button starts its own group; the click handlers keep them exclusive.
  const DialogTemplate options = english.dialogs.at(131);
  EXPECT_TRUE(ControlById(options, 1006).groupStart);
  EXPECT_TRUE(ControlById(options, 1007).groupStart);
  EXPECT_EQ(options.controls.at(12).text,
            "Note: If you are not familiar with the hardware specifications, and are ");
  EXPECT_EQ(options.controls.at(13).text,
            "using a  pair of speakers, we suggest you use the default setting.");
}

// The parser reports what it cannot read instead of returning partial templates.
class ResourceScriptErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        std::filesystem::temp_directory_path() /
        ("resource-script-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(root_ / "lang");
    std::ofstream(root_ / "resource.h") << "#define IDD_TEST 7\n#define IDC_NAME 0x10\n";
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  LanguageResources Parse(const std::string& body) {
    const std::string path = (root_ / "lang" / "test.rc").string();
    std::ofstream(path) << "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n" << body;
    return LoadLanguageResources(path);
  }

  std::filesystem::path root_;
};

TEST_F(ResourceScriptErrorTest, ReadsQuotesAndNamesOfItsResourceHeader) {
  const LanguageResources resources = Parse(
      "IDD_TEST DIALOG 0, 0, 10, 20\nSTYLE WS_POPUP\nBEGIN\n"
      "  CONTROL \"say \"\"hi\"\"\", IDC_NAME, \"Button\", BS_PUSHBUTTON | WS_DISABLED, 1, 2, 3, "
      "4\n"
      "END\n");
  const ControlTemplate& control = resources.dialogs.at(7).controls.at(0);
  EXPECT_EQ(control.text, "say \"hi\"");
  EXPECT_EQ(control.id, 16);
  EXPECT_TRUE(control.disabled);
}

TEST_F(ResourceScriptErrorTest, RejectsWhatItCannotRead) {
  const char* broken[] = {
      ("IDD_TEST DIALOG 0, 0, 10, 20\nBEGIN\n CONTROL \"x\", IDC_UNKNOWN, \"Button\", 0, 1, 2, 3, "
       "4\nEND\n"),
      "IDD_TEST DIALOG 0, 0, 10, 20\nBEGIN\n CONTROL \"open, 1, \"Button\", 0, 1, 2, 3, 4\nEND\n",
      "IDD_TEST DIALOG 0, 0, 10, 20\nBEGIN\n CONTROL \"x\", 1, \"Edit\", 0, 1, 2, 3, 4\nEND\n",
      "IDD_TEST DIALOG 0, 0, 10, 20\nBEGIN\n PUSHBUTTON \"x\", 1, 1, 2, 3, 4\nEND\n",
      "IDD_TEST DIALOG 0, 0, 10, 20\nBEGIN\nEND\nIDD_TEST DIALOG 0, 0, 10, 20\nBEGIN\nEND\n",
      "IDD_TEST DIALOG 0, 0, 10, 20\nBEGIN\n CONTROL \"x\", 1, \"Button\", 0, 1, 2, 3\nEND\n",
  };
  for (const char* body : broken) {
    EXPECT_THROW(Parse(body), std::runtime_error) << body;
  }
  EXPECT_THROW(LoadLanguageResources((root_ / "lang" / "missing.rc").string()), std::runtime_error);
}

}  // namespace
