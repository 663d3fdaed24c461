#include "platform/window_model/dialog_template.h"

#include "resources/resource_ids.h"

namespace {

const DialogControlTemplate kControls[] = {
    {IDC_COMPACT_FRAME, kControlFrame, "", 0, 0, 260, 130, false},
    {IDC_SERVER_LABEL, kControlText, "Quorvel 服务器(&E):", 5, 7, 57, 14, true},
    {IDC_SERVER_COMBO, kControlCombo, "", 70, 5, 186, 103, true},
    {65535, kControlGroup, "验证", 5, 20, 250, 85, true},
    {IDC_DOMAIN_LABEL, kControlText, "域(&D):", 15, 42, 45, 8, true},
    {IDC_DOMAIN, kControlEdit, "", 70, 40, 176, 14, true},
    {IDC_USER_ID_LABEL, kControlText, "用户 ID(&U):", 15, 62, 45, 8, true},
    {IDC_USER_ID, kControlEdit, "", 70, 60, 175, 14, true},
    {IDC_PASSWORD_LABEL, kControlText, "口令(&P):", 15, 82, 45, 8, true},
    {IDC_PASSWORD, kControlPassword, "", 70, 80, 175, 14, true},
    {IDC_RELATIONAL_GROUP, kControlGroup, "RDBMS 连接", 5, 110, 250, 85, true},
    {IDC_RELATIONAL_USER_ID_LABEL, kControlText, "用户 ID:", 15, 130, 45, 10, true},
    {IDC_RELATIONAL_USER_ID, kControlEdit, "", 70, 125, 175, 15, true},
    {65535, kControlText, "口令:", 15, 150, 40, 10, true},
    {IDC_RELATIONAL_PASSWORD, kControlPassword, "", 70, 145, 175, 15, true},
    {IDC_QUORVEL_ID_LABEL, kControlText, "Quorvel ID:", 15, 170, 50, 10, true},
    {IDC_QUORVEL_ID, kControlEdit, "", 70, 165, 175, 15, true},
    {IDOK, kControlDefaultButton, "确定", 5, 205, 50, 14, true},
    {IDCANCEL, kControlButton, "取消", 105, 205, 50, 14, true},
    {IDC_HELP_BUTTON, kControlButton, "帮助", 205, 205, 50, 14, true},
};

// MulDiv: value * numerator / denominator rounded half away from zero.
int32_t mulDiv(int32_t value, int32_t numerator, int32_t denominator) {
    int32_t product = value * numerator;
    return product >= 0 ? (product + denominator / 2) / denominator : -((-product + denominator / 2) / denominator);
}

}  // namespace

const DialogTemplate kConnectDialogTemplate = {
    "连接", 262, 226, "MS Sans Serif", 8, kControls, static_cast<int>(sizeof kControls / sizeof kControls[0]),
};

const char *dialogString(int id) {
    switch (id) {
    case IDS_FILE_VANISHED:
        return "用于所选 Quorvel 服务器的 Quorvel 连接文件 (QCF) 已由其他进程删除。\n\n这一选择不再可用。";
    case IDS_ERROR_CAPTION:
        return "Pagewright Quorvel 查询  -  错误";
    }
    return "";
}

DialogRect dialogUnitsToPixels(int16_t x, int16_t y, int16_t width, int16_t height) {
    int32_t left = mulDiv(x, kDialogBaseUnitX, 4), top = mulDiv(y, kDialogBaseUnitY, 8);
    return DialogRect{left, top, left + mulDiv(width, kDialogBaseUnitX, 4), top + mulDiv(height, kDialogBaseUnitY, 8)};
}
