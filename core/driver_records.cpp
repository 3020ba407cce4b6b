#include "core/driver_records.h"

namespace qx {

const char* RequestName(std::uint32_t code) {
  switch (code) {
    case IOCTL_GET_SETTINGS: return "GetSettings";
    case IOCTL_GET_TOUCH_SAMPLE: return "GetTouchSample";
    case IOCTL_SET_CALIBRATION_STATE: return "SetCalibrationState";
    case IOCTL_SET_SERIAL_PORTS: return "SetSerialPorts";
    case IOCTL_SET_TOUCH_MODE: return "SetTouchMode";
    case IOCTL_SET_FEEDBACK_SOUND: return "SetFeedbackSound";
    case IOCTL_SET_SENSITIVITY: return "SetSensitivity";
    case IOCTL_SET_MOUSE_SPEED: return "SetMouseSpeed";
    case IOCTL_SET_CALIBRATION: return "SetCalibration";
    case IOCTL_SET_SCREEN_SIZE: return "SetScreenSize";
    case IOCTL_SET_POWER_SAVE: return "SetPowerSave";
    case IOCTL_GET_RBF_REGISTRATION: return "GetRbfRegistration";
    case IOCTL_SET_RBF_REGISTRATION: return "SetRbfRegistration";
    case IOCTL_GET_SMI_REGISTRATION: return "GetSmiRegistration";
    case IOCTL_PLAY_TEST_SOUND: return "PlayTestSound";
    case IOCTL_SET_SMI_REGISTRATION: return "SetSmiRegistration";
    case IOCTL_SIM_GET_BLOCK: return "SimGetBlock";
    case IOCTL_SIM_SET_BLOCK: return "SimSetBlock";
    case IOCTL_SIM_SET_PRESENT: return "SimSetPresent";
    case IOCTL_SIM_TOUCH: return "SimTouch";
    case IOCTL_SIM_GET_STATUS: return "SimGetStatus";
    case IOCTL_SIM_READ_JOURNAL: return "SimReadJournal";
    case IOCTL_SIM_CLEAR_JOURNAL: return "SimClearJournal";
    case IOCTL_SIM_FINGER: return "SimFinger";
    case IOCTL_SIM_REPORT_RATE: return "SimReportRate";
    default: return "";
  }
}

}  // namespace qx
