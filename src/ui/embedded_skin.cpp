#include "ui/embedded_skin.h"

#include <QHBoxLayout>
#include <QWidget>

#include "platform/diag/debug_output.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace zt640::ui {

QWidget* EmbedSkin(QWidget* host, const QString& skin_file, const char* what) {
  auto* layout = new QHBoxLayout(host);
  layout->setContentsMargins(0, 0, 0, 0);
  SkinLoader loader(ControlFactory::Instance(), nullptr);
  QString error;
  QWidget* skin = loader.Build(ResourceManager::Instance().SkinPath(skin_file), host, &error);
  if (skin == nullptr) {
    platform::DebugOutput(std::string(what) + " skin not built: " + error.toStdString());
    return nullptr;
  }
  layout->addWidget(skin);
  return skin;
}

}  // namespace zt640::ui
