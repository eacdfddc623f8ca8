#pragma once
// The menu commands by id: what each does and when it is enabled or checked. The main menu, the
// context menu and the accelerators share this table.
namespace kd {

class CKadrelPlayerDoc;
class CMainFrame;

struct MenuState {
  bool enabled = true;
  bool checked = false;
};

void runMenuCommand(CKadrelPlayerDoc& document, CMainFrame& frame, int id);
MenuState menuCommandState(const CKadrelPlayerDoc& document, const CMainFrame& frame, int id);

}  // namespace kd
