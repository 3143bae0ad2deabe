#pragma once

#include <QString>
#include <deque>
#include <utility>
#include <vector>

#include "ui/panel_prompts.h"

namespace zt640::test {

/// Scripted answers for a panel's questions and file dialogs, and a record of
/// everything it showed.
struct ScriptedPrompts {
  std::deque<int> answers;                        ///< message box results, in order; 0 when exhausted
  std::deque<QString> files;                      ///< file dialog results, in order
  std::vector<std::pair<QString, int>> shown;     ///< message and mode
  std::vector<std::pair<QString, bool>> dialogs;  ///< filter and save flag

  ui::PanelPrompts Prompts() {
    ui::PanelPrompts prompts;
    prompts.message = [this](const QString& text, int mode) {
      shown.emplace_back(text, mode);
      if (answers.empty()) return 0;
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    };
    prompts.file = [this](const QString& filter, bool save, const QString&) {
      dialogs.emplace_back(filter, save);
      if (files.empty()) return QString();
      QString file = files.front();
      files.pop_front();
      return file;
    };
    return prompts;
  }

  [[nodiscard]] std::vector<QString> Messages() const {
    std::vector<QString> texts;
    for (const auto& [text, mode] : shown) texts.push_back(text);
    return texts;
  }
};

}  // namespace zt640::test
