#include "core/window_commands.h"

#include "platform/settings_store.h"
#include "platform/user_interface.h"

namespace twinsift {

void selectEngine(WindowModel& model, Engine engine) {
    model.engine = engine;
    model.chkFuzzy.enabled = engine == Engine::ByteByByte;
    model.MMarkAllVisible = engine == Engine::ZeroSize;
    model.MMarkAllDuplicatesVisible = engine != Engine::ZeroSize;
    model.mnuAdvMarkFormVisible = engine != Engine::ZeroSize;
}

void newSession(WindowModel& model) {
    model.RowShades.clear();
    model.SearchList.clear();
    model.selectedSearchPath = -1;
    clearResultRows(model);
    model.skipped.clear();
    selectEngine(model, Engine::ByteByByte);
    model.chkProtect.checked = true;
    model.chkIncludeHidden.checked = false;
    model.chkFuzzy.checked = false;
    model.cmdRemoveEnabled = false;
    model.statusPanels[PanelProgress].text = status_text::NewSessionHint;
    for (Panel panel : {PanelDuplicates, PanelFiles, PanelFolders})
        model.statusPanels[panel].visible = false;
    model.statusPanels[PanelElapsed].text = "00:00:00";
    model.sortIndicators.fill(SortIndicator::None);
    model.notices().searchPathsChanged();
    model.notices().statusChanged();
}

void togglePictureViewer(WindowModel& model, SettingsStore& settings) {
    // By what the window shows, so that a stored value other than 9 or 10 (shown
    // as off) turns the viewer on rather than staying off.
    model.display = model.pictureViewerOn() ? image::PreviewOff : image::PreviewOn;
    settings.saveSetting("Options", "Display", std::to_string(model.display));
}

bool confirmPermanentDeletion(UserInterface& ui) {
    return ui.messageBox({"This will delete the files permanently i.e., they are not moved to the "
                          "Trash.\r\nDo you want to proceed? (not recommended)",
                          "Confirm", MsgIcon::None, MsgButtons::YesNo, 2}) == MsgAnswer::Yes;
}

void toggleRecycleBin(WindowModel& model, SettingsStore& settings, UserInterface& ui) {
    if (!model.sendsToRecycleBin())
        model.recycleBin = image::DeleteToTrash;
    else if (confirmPermanentDeletion(ui))
        model.recycleBin = image::DeletePermanent;
    settings.saveSetting("Options", "RecycleBin", std::to_string(model.recycleBin));
}

void CancelScan(WindowModel& model, UserInterface& ui) {
    const MsgAnswer answer = ui.messageBox({"Are you sure to cancel searching?", "Cancel Search",
                                            MsgIcon::None, MsgButtons::YesNo, 2});
    if (answer == MsgAnswer::Yes)
        stopScan(model);
}

void stopScan(WindowModel& model) {
    model.SearchCancelled = true;
}

void EnableMenus(WindowModel& model, bool enabled) {
    model.menusEnabled = enabled;
}

void SetScanning(WindowModel& model, bool running) {
    model.scanning = running;
    model.progress = {};
    model.toolbarEnabled = !running;
    model.MCancelEnabled = running;
    EnableMenus(model, !running);
    model.searchControlsEnabled = !running;
    model.cmdRemoveEnabled = !running;
    model.chkProtect.enabled = !running;
    model.chkIncludeHidden.enabled = !running;
    model.chkFuzzy.enabled = !running && model.engine == Engine::ByteByByte;
    model.statusPanels[PanelDuplicates].visible = !running && model.engine != Engine::ZeroSize;
    model.statusPanels[PanelFiles].visible = !running;
    model.statusPanels[PanelFolders].visible = !running;
    // A caption that still shows the progress written while minimised.
    if (!running && model.caption != kWindowTitle)
        model.caption = "100% Completed";
}

void showElapsedTime(WindowModel& model) {
    if (model.clock)
        model.statusPanels[PanelElapsed].text = model.clock->Elapsed();
}

bool fuzzyNoteWanted(const WindowModel& model) {
    return model.chkFuzzy.checked && model.chkFuzzy.tag == "Direct";
}

void protectionUnchecked(WindowModel& model, UserInterface& ui) {
    if (model.chkProtect.checked || model.chkProtect.tag != "Direct")
        return;
    const MsgAnswer answer = ui.messageBox(
        {"It is highly recommended to leave this option checked to prevent loss of data.\r\n"
         "Do you want to leave this option",
         "Confirm", MsgIcon::Critical, MsgButtons::YesNo, 2});
    if (answer == MsgAnswer::Yes)
        model.chkProtect.checked = true;
}

bool refuseEmptyList(const WindowModel& model, UserInterface& ui) {
    if (!model.rows.empty())
        return false;
    ui.messageBox({"No duplicate file has been found!\r\nFirst you must perform a search and find "
                   "at least one duplicate file.",
                   "Error", MsgIcon::Critical, MsgButtons::OK});
    return true;
}

} // namespace twinsift
