#pragma once
// A started player (document, main frame, view, panel) on generator recordings, for the flows
// an operator goes through.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "app/main_frame.h"
#include "app/player_application.h"
#include "app/player_document.h"
#include "common/temp_dir.h"
#include "synth/generator.h"
#include "ui/player_panel.h"
#include "ui/player_view.h"

namespace kd::testing {

class PlayerFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the player with `file` on its command line ("" for none).
  void startPlayer(const std::string& file = {});
  // A DCT recording of `blocks` blocks of 10 frames, 40 ms apart; `edit` changes the options.
  std::string makeRecording(const std::string& name, int blocks = 3,
                            const std::function<void(GeneratorOptions&)>& edit = {});
  // Waits up to `ms` for `condition`.
  static bool waitFor(const std::function<bool()>& condition, int ms = 5000);
  // Waits for the next frame shown; false when none comes.
  bool waitForFrame(int ms = 3000);

  CKadrelPlayerDoc& document() { return *player_->document(); }
  CMainFrame& frame() { return *player_->mainFrame(); }
  CKadrelPlayerView& view() { return *frame().view(); }
  CPlayerPanel& panel() { return *document().panel(); }
  void click(int buttonId);

  TempDir dir_;
  std::unique_ptr<PlayerApplication> player_;
};

}  // namespace kd::testing
