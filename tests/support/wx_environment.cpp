// wxImage needs an initialised wxWidgets and its image handlers; one set for the whole run.
#include "core/image/imaging.h"

#include <gtest/gtest.h>
#include <wx/init.h>

#include <memory>

namespace {

class WxEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    initializer_ = std::make_unique<wxInitializer>();
    ASSERT_TRUE(initializer_->IsOk());
    veilmark::image::InitImageHandlers();
  }
  void TearDown() override { initializer_.reset(); }

 private:
  std::unique_ptr<wxInitializer> initializer_;
};

[[maybe_unused]] ::testing::Environment* const kWxEnvironment =
    ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace
