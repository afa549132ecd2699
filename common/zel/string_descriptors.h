// The string descriptors of a ZEL flash (zel/flash_layout.h): how big a slot is, what a slot
// holds, and how an update carries the camera's manufacturer name into an image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zel {

constexpr uint8_t kStringDescriptorType = 3;  // byte 1 of every string descriptor
// The longest name the camera's name is read into and carried from, with its terminator.
constexpr size_t kNameBytes = 256;

// The slot size read from the area's first kStringAreaProbeBytes bytes: the first non-zero
// byte after the language descriptor starts slot 1. 0 when no slot follows slot 0.
int StringSlotSize(const uint8_t* area);

// The characters of the string descriptor in a slot of slotSize bytes: never past the slot,
// whatever its bLength claims. Nothing when the slot holds no string descriptor (an erased
// slot, say); an empty string for a bLength of 0 or 1.
std::optional<std::u16string> SlotString(const uint8_t* slot, int slotSize);

// Carries the name (ANSI text, at most kNameBytes bytes read) into an image: in the
// manufacturer's slot, as many characters as the slot holds, with iManufacturer pointing at
// it; an empty name clears iSerialNumber instead. An image without string slots is left as it
// was.
void CarryManufacturerName(uint8_t* image, const char* name);

}  // namespace zel
