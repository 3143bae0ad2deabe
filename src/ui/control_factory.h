#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

namespace zt640::ui {

/// The kind of Qt widget a custom control class is built on.
enum class ControlBase {
  kContainer,  ///< QWidget holding children
  kFrame,      ///< QFrame holding children
  kButton,     ///< QPushButton
  kOption,     ///< checkable QPushButton (an option of a group)
  kLabel,      ///< QLabel
};

/// Creates custom control classes by name while a skin is built. Classes are kept in
/// registration order; registering a name again replaces its creator.
class ControlFactory {
 public:
  using Creator = std::function<QWidget*(QWidget* parent)>;

  /// The process-wide factory used by every skin loader.
  [[nodiscard]] static ControlFactory& Instance();

  void RegistControl(const QString& class_name, Creator creator);

  /// A new control of `class_name`, or null when the name is not registered.
  [[nodiscard]] QWidget* Create(const QString& class_name, QWidget* parent) const;

  [[nodiscard]] bool IsRegistered(const QString& class_name) const;
  [[nodiscard]] QStringList RegisteredNames() const;

  /// A creator for a class whose own behaviour is not present in this build: a plain
  /// widget of its base kind that carries the class name as property "controlClass".
  [[nodiscard]] static Creator PlainControl(const QString& class_name, ControlBase base);

  /// The class name a control was created under ("controlClass"), else its Qt class.
  [[nodiscard]] static QString ControlClassName(const QWidget* control);

  void Clear();

 private:
  struct Entry {
    QString name;
    Creator creator;
  };
  std::vector<Entry> entries_;
};

}  // namespace zt640::ui
