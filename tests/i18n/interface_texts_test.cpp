#include "interface_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace i18n = qv::i18n;

namespace {

TEST(InterfaceTexts, EveryLineHasOneEntryAndItsHolder) {
  const auto& texts = i18n::interfaceTexts();
  std::vector<QString i18n::MainFormTexts::*> fields;  // member pointers have no order: kept distinct by hand
  std::set<QString*> globals;
  int captionsOnly = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(texts[i].line, static_cast<int>(i) + 1);
    EXPECT_FALSE(texts[i].field && texts[i].global);
    if (texts[i].field) {
      if (std::find(fields.begin(), fields.end(), texts[i].field) == fields.end()) {
        fields.push_back(texts[i].field);
      }
    } else if (texts[i].global) {
      globals.insert(texts[i].global);
    } else {
      ++captionsOnly;
    }
  }
  // Lines 41 and 66 share l_cancel: 27 lines feed the main window's 26 fields.
  EXPECT_EQ(fields.size(), 26U);
  EXPECT_EQ(globals.size(), 22U);
  EXPECT_EQ(captionsOnly, 22);
  EXPECT_EQ(texts[40].field, texts[65].field);
}

TEST(InterfaceTexts, BuiltInTextsAreRestoredWhole) {
  i18n::MainFormTexts form;
  i18n::applyBuiltInTexts(form);
  form.l_cancel = QStringLiteral("Abbrechen");
  qv::l_unsaved = QStringLiteral("Ungespeichert");
  i18n::applyBuiltInTexts(form);

  EXPECT_EQ(form.l_cancel, QStringLiteral("Cancel"));
  EXPECT_EQ(qv::l_unsaved, QStringLiteral("Unsaved"));
  EXPECT_EQ(form.l_wrongbass, QStringLiteral("Error! Wrong library qv_engine"));
  EXPECT_EQ(form.l_discr, QStringLiteral("Sample rate (Hz):"));
  EXPECT_EQ(qv::l_cantinit, QStringLiteral("Can`t initialize device"));
  EXPECT_EQ(qv::l_delconfirm, QStringLiteral("You going to delete radiostation, are you sure?"));
  EXPECT_EQ(i18n::builtInText(1), QStringLiteral("Restore"));
  EXPECT_EQ(i18n::builtInText(59), QStringLiteral("All Files"));
  EXPECT_EQ(i18n::builtInText(0), QString());
  EXPECT_EQ(i18n::builtInText(72), QString());
}

}  // namespace
