#pragma once
// VAZERU_SHOW_AT_START=1: the main window opens as soon as the start-up phase
// allows it, as if "Show Vazeru" had been chosen in the tray menu then.
namespace vz::ui::qt {

class QtMainWindowView;

// Installs the showing when the environment asks for it; otherwise nothing.
void ShowWhenStartedIfAsked(QtMainWindowView& view);

}  // namespace vz::ui::qt
