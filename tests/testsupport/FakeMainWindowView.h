#pragma once

#include <string>
#include <vector>

#include "FakeDeviceListView.h"
#include "app/MainWindowView.h"
#include "app/Options.h"

// The Device Manager window without a display: its list is a CFakeDeviceListView, its option
// controls plain values, and each modal dialog answers with what the test put in beforehand.
class CFakeMainWindowView final : public IMainWindowView {
public:
    IDeviceListView& DeviceListView() override { return m_list; }
    void HideWindow() override { m_bVisible = false; }
    void RestoreWindow() override { m_bVisible = true; }
    void EnableCalibrate(bool bEnable) override { m_bCalibrateEnabled = bEnable; }
    void EnableModifyRemove(bool bEnable) override { m_bModifyRemoveEnabled = bEnable; }
    OptionControls GetOptionControls() const override { return m_controls; }
    void SetOptionControls(const OptionControls& controls) override {
        const std::string strPrecision = m_controls.strPrecision;
        m_controls = controls;
        // Like a drop-down: a text that is no entry leaves the selection as it was.
        bool bEntry = false;
        for (const char* szEntry : PRECISION_ENTRIES) {
            bEntry = bEntry || controls.strPrecision == szEntry;
        }
        if (!bEntry) {
            m_controls.strPrecision = strPrecision;
        }
    }
    void FocusDelay() override { ++m_nDelayFocused; }
    bool RunDeviceSettings(DeviceSettingsValues& values, bool bModify) override {
        m_vecSettingsRuns.push_back(bModify);
        if (m_bSettingsSaved) {
            values = m_settingsAnswer;
        }
        return m_bSettingsSaved;
    }
    void RunCalibration(CalibrationRun& run) override {
        m_vecCalibrationRuns.push_back(run);
        const CalibrationRun asked = run;
        run = m_calibrationAnswer;
        run.rcMonitor = asked.rcMonitor;
        run.strDevice = asked.strDevice;
    }
    void ShowAbout() override { ++m_nAboutShown; }
    std::string OpenHelp() override { return m_strHelpFailure; }
    void EndOwnedDialogs() override { ++m_nDialogsEnded; }
    void EndProgram() override { ++m_nEndProgram; }

    CFakeDeviceListView m_list;
    bool m_bVisible = true;
    bool m_bCalibrateEnabled = false;
    bool m_bModifyRemoveEnabled = true;
    OptionControls m_controls{"", "5", false};
    int m_nDelayFocused = 0;
    bool m_bSettingsSaved = false;
    DeviceSettingsValues m_settingsAnswer;
    std::vector<bool> m_vecSettingsRuns;
    CalibrationRun m_calibrationAnswer;
    std::vector<CalibrationRun> m_vecCalibrationRuns;
    int m_nAboutShown = 0;
    std::string m_strHelpFailure;
    int m_nDialogsEnded = 0;
    int m_nEndProgram = 0;
};
