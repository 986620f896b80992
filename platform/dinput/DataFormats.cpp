// The standard keyboard and mouse data formats.
#include <array>

#include "platform/dinput/DInput.h"

namespace {

constexpr DWORD kAnyAxis = DIDFT_AXIS | DIDFT_ANYINSTANCE;
constexpr DWORD kOptionalButton = DIDFT_BUTTON | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL;

constexpr std::array<DIOBJECTDATAFORMAT, 256> MakeKeyboardObjects() {
  std::array<DIOBJECTDATAFORMAT, 256> objects{};
  for (DWORD code = 0; code < objects.size(); ++code) {
    objects[code] = {&GUID_Key, code, DIDFT_BUTTON | DIDFT_OPTIONAL | DIDFT_MAKEINSTANCE(code), 0};
  }
  return objects;
}

constexpr std::array<DIOBJECTDATAFORMAT, 256> kKeyboardObjects = MakeKeyboardObjects();

constexpr DIOBJECTDATAFORMAT kMouseObjects[] = {
    {&GUID_XAxis, DIMOFS_X, kAnyAxis, 0},
    {&GUID_YAxis, DIMOFS_Y, kAnyAxis, 0},
    {&GUID_ZAxis, DIMOFS_Z, kAnyAxis | DIDFT_OPTIONAL, 0},
    {nullptr, DIMOFS_BUTTON0, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON1, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON2, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON3, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON4, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON5, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON6, kOptionalButton, 0},
    {nullptr, DIMOFS_BUTTON7, kOptionalButton, 0},
};

}  // namespace

const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 256, kKeyboardObjects.data()};
const DIDATAFORMAT c_dfDIMouse = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE), 7, kMouseObjects};
const DIDATAFORMAT c_dfDIMouse2 = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE2), 11, kMouseObjects};
