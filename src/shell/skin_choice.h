#pragma once

#include <QColor>
#include <QString>

namespace zt640 {

/// A window background: a colour, or an image (a path below the skin folder, or a file
/// the user picked).
struct SkinChoice {
  enum class Kind { kColour, kImage };
  Kind kind = Kind::kImage;
  QColor colour;
  QString image;

  /// The background the skin ships with.
  static constexpr char kDefaultImage[] = "common/background.png";

  [[nodiscard]] static SkinChoice Colour(const QColor& colour) { return {Kind::kColour, colour, {}}; }
  [[nodiscard]] static SkinChoice Image(const QString& image) { return {Kind::kImage, {}, image}; }
  [[nodiscard]] static SkinChoice Default() { return Image(QString::fromLatin1(kDefaultImage)); }

  friend bool operator==(const SkinChoice&, const SkinChoice&) = default;
};

/// "main.ini" in the user data root: section "SKINIMAGE", keys "FLAGS" ("1" an image the
/// user chose, "0" the default) and "IMAGE". Other lines of the file are kept as they
/// are when the two keys are written.
class SkinChoiceFile {
 public:
  static constexpr char kFileName[] = "main.ini";

  /// `path` is the file; `skin_folder` is where its images are looked for.
  SkinChoiceFile(QString path, QString skin_folder);

  /// The stored background; the default when the file is missing, damaged, or names an
  /// image that is not a file below the skin folder. The file is never changed here.
  [[nodiscard]] SkinChoice Read() const;

  /// Stores an image below the skin folder ("FLAGS" "1"), or the default ("FLAGS" "0").
  [[nodiscard]] bool WriteImage(const QString& image) const;
  [[nodiscard]] bool WriteDefault() const;

 private:
  [[nodiscard]] bool Write(const QString& flags, const QString& image) const;

  QString path_;
  QString skin_folder_;
};

/// The file of a background image: a path below the skin folder resolved against it, an
/// absolute path as it stands.
[[nodiscard]] QString SkinImageFile(const QString& skin_folder, const QString& image);

/// A style sheet rule body that stretches `file` over a widget.
[[nodiscard]] QString StretchedImageStyle(const QString& file);

}  // namespace zt640
