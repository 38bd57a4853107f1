// vzstory.exe: plays the installation stories (GoogleTest cases) on the
// machine it runs on. Its own options come before GoogleTest's:
//   --os=95|nt  --media=FOLDER  --pictures=FOLDER  --report  --interactive
#include <gtest/gtest.h>

#include "story.h"

int main(int argc, char** argv) {
  story::ParseOptions(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
