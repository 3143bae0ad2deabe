#pragma once

#include <QString>
#include <QUiLoader>

#include "ui/builder_callback.h"
#include "ui/control_factory.h"

namespace zt640::ui {

/// Builds a widget tree from a Qt Designer skin file. Element classes are created by the
/// builder callback first, then by the control factory, then as standard widgets; object
/// names are the skin's control names. Designer plugins are not looked for.
class SkinLoader : public QUiLoader {
  Q_OBJECT
 public:
  SkinLoader(const ControlFactory& factory, BuilderCallback* callback, QObject* parent = nullptr);

  /// The skin's root widget (parented to `parent`), or null with `error` set when the
  /// file is missing or not a valid skin.
  [[nodiscard]] QWidget* Build(const QString& file_path, QWidget* parent, QString* error);

  QWidget* createWidget(const QString& class_name, QWidget* parent, const QString& name) override;

 private:
  const ControlFactory& factory_;
  BuilderCallback* callback_;
};

}  // namespace zt640::ui
