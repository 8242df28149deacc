#include "orvane/PcbTypes.h"

namespace {

constexpr PcbType kPcbTypes[] = {
    {0x0000, 0x00, "Unknown PCB"},
    {0xF010, 0x10, "Motorized Faders"},
    {0xF010, 0x20, "PlayBack Buttons"},
    {0xF010, 0x30, "Main Keyboard"},
    {0xF010, 0x40, "TFT Buttons"},
    {0xF010, 0x60, "Digital Belt"},
    {0xF010, 0x70, "Digital Belt"},
    {0xF010, 0x80, "Track Ball"},
    {0xF010, 0x82, "Master Fader"},
    {0xF010, 0xC0, "10 LCD"},
    {0xF010, 0xB0, "5 LCD"},
    {0xF030, 0xB0, "5 LCD"},
    {0xF040, 0x10, "Stravel LCD PCB"},
    {0xF084, 0x40, "TFT Buttons"},
    {0xF084, 0x60, "Digital Belt"},
    {0xF080, 0x30, "Main Keyboard"},
    {0xF080, 0x60, "Digital Belt"},
    {0xF080, 0x70, "Digital Belt"},
    {0xF080, 0x80, "Track Ball"},
    {0xF080, 0x82, "Master Fader"},
    {0xF080, 0xB0, "5 LCD"},
    {0xF088, 0x10, "Motorized Faders"},
    {0xF088, 0x20, "PlayBack Buttons"},
    {0xF088, 0xB0, "5 LCD"},
    {0xF089, 0x10, "Motorized Faders"},
    {0xF089, 0x20, "PlayBack Buttons"},
    {0xF089, 0xB0, "5 LCD"},
    {0xF08B, 0x70, "Button 1 Digibelt"},
    {0xF08A, 0xB0, "Dovan 5 LCD"},
    {0xF08A, 0xC0, "Dovan 10 LCD"},
    {0xF08A, 0x20, "Playback 10 PlaybackBut"},
    {0xF080, 0x84, "VondarMK2 SoundPower"},
    {0xF08C, 0x50, "Submaster Display"},
    {0xF08C, 0xD0, "Submaster Faders"},
    {0xF0A0, 0x86, "QUILLON DMXIn"},
    {0xF090, 0x20, "Uplayb button"},
    {0xF090, 0x30, "Main Keyboard"},
    {0xF090, 0x70, "4 Encoder"},
    {0xF090, 0xC0, "PBFaders"},
    {0xF090, 0xD0, "Submaster Faders"},
    {0xF090, 0xD2, "MF & Buttons"},
};

}  // namespace

std::span<const PcbType> PcbTypes() {
  return kPcbTypes;
}

size_t FindPcbType(uint16_t id, uint8_t code) {
  for (size_t i = 0; i < std::size(kPcbTypes); ++i) {
    if (kPcbTypes[i].id == id && kPcbTypes[i].code == code) return i;
  }
  return 0;
}

std::string_view PcbTypeName(uint16_t id, uint8_t code) {
  return kPcbTypes[FindPcbType(id, code)].name;
}
