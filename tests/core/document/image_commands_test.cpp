// The Edit commands reach the image engine through their own operations.
#include "core/document/command_ids.h"

#include <gtest/gtest.h>

#include <set>

namespace veilmark::image {
namespace {

TEST(ImageCommands, EachEditOperationRunsAnOperationOfItsOwn) {
  const int edits[] = {ID_EDIT_MIRROR,      ID_EDIT_FLIP,      ID_EDIT_ROTATE_RIGHT,
                       ID_EDIT_ROTATE_LEFT, ID_EDIT_GRAYSCALE, ID_EDIT_NEGATIVE,
                       ID_EDIT_GAMMA,       ID_EDIT_THRESHOLD, ID_EDIT_LIGHTEN,
                       ID_EDIT_DARKEN,      ID_EDIT_CONTRAST,  ID_EDIT_SHARPEN};
  std::set<ImageOp> seen;
  for (const int id : edits) {
    const std::optional<ImageOp> op = ImageOpForCommand(id);
    ASSERT_TRUE(op) << id;
    EXPECT_TRUE(seen.insert(*op).second) << id << " runs the operation of another command";
  }
  for (const int id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_FILE_SAVE_PNG, ID_HIDE_FILE, 0})
    EXPECT_FALSE(ImageOpForCommand(id)) << id;
}

}  // namespace
}  // namespace veilmark::image
