#pragma once

#include <QString>

class QWidget;

namespace zt640::ui {

/// A window's own say in building its skin: asked first for every element class, it
/// returns a control for the classes it makes itself, or null to leave the class to the
/// control factory and the standard widgets.
class BuilderCallback {
 public:
  virtual ~BuilderCallback() = default;
  [[nodiscard]] virtual QWidget* CreateControl(const QString& class_name, QWidget* parent) = 0;
};

}  // namespace zt640::ui
