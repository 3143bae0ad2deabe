#include "pages/headset/headset_page.h"

#include <QMetaObject>
#include <QThread>

#include "devices/headset/kalvex_hs6533_device.h"
#include "pages/headset/headset_picture.h"
#include "platform/diag/debug_output.h"

namespace zt640 {

namespace {

constexpr std::array<const char*, 3> kTabs = {"deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab"};

/// The index of "<prefix><n>", -1 when `name` is no such name.
int IndexOf(const QString& name, const char* prefix) {
  const QString start = QString::fromLatin1(prefix);
  if (!name.startsWith(start)) return -1;
  bool number = false;
  const int index = name.mid(start.size()).toInt(&number);
  return number ? index : -1;
}

std::unique_ptr<ZonePicture> MakePicture(QWidget* page, const CKalvexHS6533Device& device) {
  auto* panel = page != nullptr ? page->findChild<CSelectPanelUI*>(QStringLiteral("hs6533_device_key_light")) : nullptr;
  if (panel == nullptr) return nullptr;
  return std::make_unique<HeadsetPicture>(panel, device.CatalogueEntry().light_count);
}

const char* Refusal(SoundActionResult result) {
  switch (result) {
    case SoundActionResult::kUnavailable:
      return "sound settings unavailable";
    case SoundActionResult::kRefusedFull:
      return "custom curve list full";
    case SoundActionResult::kRefusedDuplicate:
      return "custom curve name already used";
    default:
      return nullptr;
  }
}

}  // namespace

HeadsetPage::HeadsetPage(QWidget* page, CKalvexHS6533Device& device, CMpDevicePowerUI* power, ui::PanelPrompts prompts)
    : LightingDevicePage(page, device, DeviceKind::kHeadset, power, std::move(prompts), MakePicture(page, device),
                         {kTabs.begin(), kTabs.end()}),
      device_(device) {
  sound_ = FindPanel<CVoice6533ControlUI>("voice_panel");
  voice_ = FindPanel<CMagicControlUI>("magic_panel");
  device_.SetHeadsetSink(this);
}

HeadsetPage::~HeadsetPage() { device_.SetHeadsetSink(nullptr); }

void HeadsetPage::LoadPanels() {
  LoadLightingPanels(DeviceKind::kHeadset, "headset");
  ShowSound(device_.Sound());
  ShowBands(device_.Bands());
  ShowCustomCurves(device_.CustomCurveNames(), device_.Sound().custom_eq_index);
}

void HeadsetPage::OnUiThread(std::function<void()> show) {
  if (QThread::currentThread() == thread()) {
    show();
    return;
  }
  // Dropped with the page when it goes first.
  QMetaObject::invokeMethod(this, [show = std::move(show)] { show(); }, Qt::QueuedConnection);
}

void HeadsetPage::RunSound(const char* what, std::function<SoundActionResult(CKalvexHS6533Device&)> action) {
  RunOn<CKalvexHS6533Device>(
      [what = std::string(what), action = std::move(action)](CKalvexHS6533Device& headset) {
        if (const char* refusal = Refusal(action(headset))) platform::DebugOutput("headset " + what + ": " + refusal);
      },
      nullptr);
}

void HeadsetPage::OnSoundSelectChanged(const QString& name, bool checked) {
  if (name == QLatin1String("6533_MicIn_option")) {
    RunSound("microphone", [checked](CKalvexHS6533Device& headset) { return headset.SetMicrophoneOn(checked); });
  } else if (name == QLatin1String("6533_MicMoniter_option")) {
    RunSound("monitor", [checked](CKalvexHS6533Device& headset) { return headset.SetMonitorOn(checked); });
  } else if (name == QLatin1String("magic_enable_option")) {
    RunSound("voice changer", [checked](CKalvexHS6533Device& headset) { return headset.SetVoiceChanger(checked); });
  } else if (const int option = IndexOf(name, "6533_eq_option_"); option >= 0) {
    // Only the option that became checked acts; the one it replaced reports too.
    if (checked) RunSound("equaliser", [option](CKalvexHS6533Device& headset) { return headset.ChooseEqualiser(option); });
  } else if (const int effect = IndexOf(name, "magic_option_"); effect >= 0) {
    if (checked) RunSound("voice effect", [effect](CKalvexHS6533Device& headset) { return headset.ChooseVoiceEffect(effect); });
  }
}

void HeadsetPage::OnSoundValueChanged(const QString& name, int value) {
  if (name == QLatin1String("6533_MicIn_slider")) {
    RunSound("microphone volume", [value](CKalvexHS6533Device& headset) { return headset.SetMicrophoneVolume(value); });
  } else if (name == QLatin1String("6533_MicMoniter_slider")) {
    RunSound("monitor volume", [value](CKalvexHS6533Device& headset) { return headset.SetMonitorVolume(value); });
  } else if (const int band = IndexOf(name, "6533_eq_hz_slider_"); band >= 0) {
    RunSound("equaliser band", [band, value](CKalvexHS6533Device& headset) { return headset.MoveBand(band, value); });
  }
}

void HeadsetPage::OnCurveSelected(int index) {
  // Choosing "none" only empties the name field.
  if (index < 0) {
    ShowCustomCurves(device_.CustomCurveNames(), -1);
    return;
  }
  RunSound("custom curve", [index](CKalvexHS6533Device& headset) { return headset.ChooseCustomCurve(index); });
}

void HeadsetPage::OnCurveClick(const QString& name) {
  if (name.compare(QLatin1String("hs_EQ_btn_save"), Qt::CaseInsensitive) == 0) {
    const std::string text = sound_ ? sound_->CurveName().toStdString() : std::string();
    RunSound("custom curve save", [text](CKalvexHS6533Device& headset) {
      headset.SetCurveNameText(text);
      return headset.SaveCustomCurve();
    });
  } else if (name.compare(QLatin1String("hs_EQ_btn_delete"), Qt::CaseInsensitive) == 0) {
    RunSound("custom curve delete", [](CKalvexHS6533Device& headset) { return headset.DeleteCustomCurve(); });
  }
}

void HeadsetPage::ShowSound(const HeadsetOptions& options) {
  // Read where the headset's state is current: on the thread that shows it.
  const bool available = device_.AudioReady();
  const bool monitor = device_.MonitorPresent();
  OnUiThread([this, options, available, monitor] {
    if (sound_) sound_->ShowSound(options, available, monitor);
    if (voice_) voice_->ShowVoice(options.magic_enable != 0, options.magic_type, available);
  });
}

void HeadsetPage::ShowBands(const EqBands& bands) {
  OnUiThread([this, bands] {
    if (sound_) sound_->ShowBands(bands);
  });
}

void HeadsetPage::ShowCustomCurves(const std::vector<std::string>& names, int selected) {
  OnUiThread([this, names, selected] {
    if (sound_) sound_->ShowCurves(names, selected);
  });
}

void HeadsetPage::ShowDecibels(bool monitor, double decibels) {
  OnUiThread([this, monitor, decibels] {
    if (sound_) sound_->ShowDecibels(monitor, decibels);
  });
}

void HeadsetPage::ShowMessage(const std::string& key) {
  OnUiThread([this, key] { ShowResult(key); });
}

}  // namespace zt640
