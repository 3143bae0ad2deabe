#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "updateclient/installed_version.h"
#include "updateclient/update_catalogue.h"
#include "updateclient/update_target.h"

namespace {

using zt640::LoadUpdateCatalogue;
using zt640::UpdateTarget;

const std::string kShippedCatalogue = std::string(ZT640_SOURCE_DIR) + "/data/DefaultData/update_catalogue.json";

class TempFile {
 public:
  explicit TempFile(const std::string& text) {
    char templ[] = "/tmp/zt640-catalogue-XXXXXX";
    const int fd = mkstemp(templ);
    path_ = templ;
    if (fd >= 0) close(fd);
    std::ofstream(path_) << text;
  }
  ~TempFile() { std::filesystem::remove(path_); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string Row(const std::string& brand, int format, const std::string& code, const std::string& model,
                int series = 1) {
  return "{\"Brand\":\"" + brand + "\",\"VersionFormat\":" + std::to_string(format) + ",\"ProductCode\":\"" + code +
         "\",\"Model\":\"" + model + "\",\"DisplayName\":\"" + model + "\",\"Series\":" + std::to_string(series) +
         ",\"VersionText\":\"" + (format == 0 ? "V1.0" : "") + "\"}";
}

std::string Catalogue(const std::string& row0, const std::string& row3) {
  return "{\"UpdateCatalogue\":[" + row0 + "," + Row("ACME", 2, "FWCODE02", "B2") + "," +
         Row("ACME", 2, "FWCODE03", "C3") + "," + row3 + "]}";
}

TEST(UpdateCatalogue, TheShippedCatalogueKeepsTheServiceForms) {
  std::string error;
  const auto catalogue = LoadUpdateCatalogue(kShippedCatalogue, error);
  ASSERT_TRUE(catalogue) << error;
  EXPECT_FALSE((*catalogue)[0].IsApplication());
  EXPECT_TRUE((*catalogue)[zt640::kApplicationRow].IsApplication());
  EXPECT_EQ((*catalogue)[zt640::kApplicationRow].version_text, "V1.0");
}

TEST(UpdateCatalogue, RefusesRowsOutOfForm) {
  const std::string good_row0 = Row("ACME", 2, "FWCODE01", "A1");
  const std::string good_app = Row("ACME", 0, "APP", "C3");
  std::string error;
  TempFile good(Catalogue(good_row0, good_app));
  ASSERT_TRUE(LoadUpdateCatalogue(good.path(), error)) << error;

  const std::pair<const char*, std::string> cases[] = {
      {"not JSON", "{\"UpdateCatalogue\":["},
      {"three rows", "{\"UpdateCatalogue\":[" + good_row0 + "," + good_row0 + "," + good_app + "]}"},
      {"firmware code of seven", Catalogue(Row("ACME", 2, "FWCODE1", "A1"), good_app)},
      {"lower-case code", Catalogue(Row("ACME", 2, "fwcode01", "A1"), good_app)},
      {"other brand", Catalogue(Row("ACNE", 2, "FWCODE01", "A1"), good_app)},
      {"brand of two words", Catalogue(Row("AC ME", 2, "FWCODE01", "A1"), good_app)},
      {"other series", Catalogue(Row("ACME", 2, "FWCODE01", "A1", 2), good_app)},
      {"firmware format 0", Catalogue(Row("ACME", 0, "FWCODE01", "A1"), good_app)},
      {"application format 2", Catalogue(good_row0, Row("ACME", 2, "APP", "C3"))},
      {"application code of four", Catalogue(good_row0, Row("ACME", 0, "APPS", "C3"))},
      {"model of six", Catalogue(Row("ACME", 2, "FWCODE01", "ABCDEF"), good_app)},
      {"application model of its own", Catalogue(good_row0, Row("ACME", 0, "APP", "D4"))},
      {"series as text", Catalogue("{\"Brand\":\"ACME\",\"VersionFormat\":2,\"ProductCode\":\"FWCODE01\",\"Model\":"
                                   "\"A1\",\"DisplayName\":\"A1\",\"Series\":\"1\",\"VersionText\":\"\"}",
                                   good_app)},
  };
  for (const auto& [label, text] : cases) {
    SCOPED_TRACE(label);
    TempFile file(text);
    error.clear();
    EXPECT_FALSE(LoadUpdateCatalogue(file.path(), error));
    EXPECT_NE(error.find(file.path()), std::string::npos) << error;
  }
  error.clear();
  EXPECT_FALSE(LoadUpdateCatalogue("/nonexistent/update_catalogue.json", error));
  EXPECT_FALSE(error.empty());
}

TEST(UpdateKey, JoinsTheRowsFieldsOrSaysNullForAnAbsentTarget) {
  UpdateTarget target;
  target.row.brand = "ACME";
  target.row.version_format = 2;
  target.row.product_code = "FWCODE01";
  target.row.model = "A1";
  target.row.series = 12;
  target.current_version = 0x0105;
  EXPECT_EQ(zt640::BuildUpdateKey(target), "ACME_2_FWCODE01_A1_12");
  target.current_version = 0;
  EXPECT_EQ(zt640::BuildUpdateKey(target), "NULL");
}

TEST(UpdateKey, WritesFirmwareVersionsInHexAndTheApplicationsInDecimal) {
  EXPECT_EQ(zt640::VersionText(0x0105, 1), "V0105");
  EXPECT_EQ(zt640::VersionText(0x12345, 3), "V12345");
  EXPECT_EQ(zt640::VersionText(103, 0), "V103");
}

TEST(InstalledVersion, DropsTheDotsAndReadsTheRestAsDecimal) {
  EXPECT_EQ(zt640::ParseDisplayVersion("1.0.3"), 103u);
  EXPECT_EQ(zt640::ParseDisplayVersion("2.10"), 210u);
  EXPECT_EQ(zt640::ParseDisplayVersion("1.0.3-rc1"), 103u);
  EXPECT_EQ(zt640::ParseDisplayVersion(""), 0u);
  EXPECT_EQ(zt640::ParseDisplayVersion("v1"), 0u);
  EXPECT_EQ(zt640::ParseDisplayVersion("99999999999"), 0xFFFFFFFFu);
  EXPECT_GT(zt640::ReadInstalledVersion(), 0u);
}

}  // namespace
