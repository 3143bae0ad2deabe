#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QWidget;

namespace zt640::ui {

/// One row of the language list ("Language.config").
struct LanguageEntry {
  int id = 0;         ///< "Language_ID": the value kept in the settings store
  QString name;       ///< "Language_name"
  QString file;       ///< "Language_file": language text file below the skin folder
  QString text;       ///< "Language_text": the name shown to the user
};

/// Resolves text keys to the current language's texts. Widgets carry their keys as the
/// dynamic properties "textKey" (the widget's text, or a window's title) and
/// "toolTipKey"; `Bind` remembers them and every language load re-resolves them all
/// without rebuilding any window.
///
/// A language file is XML: <Language name="..."><Text key="..." value="..."/>...</Language>.
/// A text may carry a short form beside it (attribute "short") for places with little
/// room, such as the caption of a key on a device picture.
class LanguageManager : public QObject {
  Q_OBJECT
 public:
  explicit LanguageManager(QObject* parent = nullptr);

  /// Reads the list; empty when the file is missing or not the expected JSON.
  [[nodiscard]] static std::vector<LanguageEntry> ReadLanguageList(const QString& config_path);

  /// Loads a language file. On failure the current texts stay and `error` says why.
  [[nodiscard]] bool LoadLanguage(const QString& file_path, QString* error = nullptr);

  /// The text of `key`; the key itself when the current language has none.
  [[nodiscard]] QString Text(const QString& key) const;

  /// The short form of `key`'s text; its text when it has none.
  [[nodiscard]] QString ShortText(const QString& key) const;

  [[nodiscard]] bool HasText(const QString& key) const { return texts_.contains(key); }
  [[nodiscard]] const QString& LanguageName() const { return name_; }

  /// Resolves and remembers every widget with a key at or below `root`.
  void Bind(QWidget* root);

 signals:
  /// After a language was loaded and every bound widget re-resolved.
  void LanguageChanged();

 private:
  void Apply(QWidget* widget) const;

  QString name_;
  QHash<QString, QString> texts_;
  QHash<QString, QString> short_texts_;
  QList<QPointer<QWidget>> bound_;
};

}  // namespace zt640::ui
