#include "res/ControlIds.h"

namespace zintra {

const std::vector<ui::NamedId>& ControlIdTable() {
    static const std::vector<ui::NamedId> table = {
        {"UpProg", 65578},
        {"UpdateText", 65579},
        {"_name_start", 65535},
        {"btnNotUpdate", 65576},
        {"btnUpdate", 65575},
        {"btn_Sett", 65538},
        {"btn_cancel", 65571},
        {"btn_circle", 65556},
        {"btn_close", 65536},
        {"btn_default", 65567},
        {"btn_min", 65537},
        {"btn_sure", 65568},
        {"btn_test", 65562},
        {"cbx_Time", 65542},
        {"cbx_hotkey", 65543},
        {"chk_CloseRightTip", 65564},
        {"chk_HideMain", 65565},
        {"chk_ctrlq", 65557},
        {"chk_setAutoRun", 65566},
        {"ctrl_hk1", 65570},
        {"edt_LimitCount", 65560},
        {"edt_customtime", 65572},
        {"edt_posX", 65554},
        {"edt_posY", 65555},
        {"edt_time", 65551},
        {"faceback", 65548},
        {"logo_url", 65546},
        {"tab_main", 65549},
        {"txt_caption", 65569},
        {"txt_hotkey", 65544},
        {"txt_mousetype", 65545},
        {"txt_testCount", 65563},
        {"txt_testHotkey", 65561},
        {"txt_updateinfo", 65574},
        {"type_left", 65539},
        {"type_leftdown", 65541},
        {"type_right", 65540},
        {"upProgressWindow", 65577},
        {"url", 65547},
        {"useFixedPos", 65552},
        {"useLimitCount", 65558},
        {"useRandomTime", 65550},
        {"version", 65573},
        {"wnd_limitCount", 65559},
        {"wnd_useFixedPos", 65553},
    };
    return table;
}

}  // namespace zintra
