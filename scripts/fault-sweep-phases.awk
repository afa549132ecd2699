# The phases of a ZEL update, from the trace of one clean run: one line per phase with its
# name and its first and last request (trace line). A size probe belongs to the request on
# its control that it comes before. Flash commands on unit 0, selector 3 are told by their first byte: 0x5A sets
# a read address, 0x00 a write address, 0xE0 erases (second byte 1) or asks the erase status,
# 0x60 erases without status. Other selectors are registers (clock, reset) and records.
#
#   bind          the library binds the camera, before the first flash read
#   identity      the camera's name is read from its flash
#   erase-setup   clock and flash interface set up for the erase
#   erase         the erase command
#   erase-poll    erase status queries
#   erase-check   the erased flash read back
#   write-setup   clock and flash interface set up for the download
#   write@ADDR    one span of the image written, from flash address ADDR
#   verify@ADDR   that span read back
#   reset         the chip reset after the download
function enter(name, start) {
  if (name != phase) {
    if (phase != "") print phase, first, start - 1
    phase = name
    first = start
  }
}
$1 == "LEN" {
  if (phase == "") enter("bind", NR)
  probed = $2 " " $3
  probeLine = NR
  next
}
{
  op = $1; selector = $3; command = substr($5, 1, 2)
  flashSet = op == "SET" && selector == 3
  if (flashSet && (command == "60" || (command == "e0" && substr($5, 3, 2) == "01"))) {
    stage = "erase"
  } else if (flashSet && command == "00") {
    address = substr($5, 9, 2) substr($5, 7, 2) substr($5, 5, 2) substr($5, 3, 2)
    stage = "write@" substr(address, 4)
  } else if (stage == "" || stage == "bind") {
    stage = flashSet && command == "5a" ? "identity" : "bind"
  } else if (stage == "identity") {
    if (selector != 3) stage = "erase-setup"
  } else if (stage == "erase" || stage == "erase-poll") {
    stage = flashSet && command == "5a" ? "erase-check" : "erase-poll"
  } else if (stage == "erase-check") {
    if (selector != 3 || (flashSet && command != "5a")) stage = "write-setup"
  } else if (stage ~ /^write@/) {
    if (flashSet && command == "5a") stage = "verify@" substr(stage, 7)
    else if (selector != 3) stage = "reset"
  } else if (stage ~ /^verify@/) {
    if (selector != 3) stage = "reset"
  }
  enter(stage, probeLine == NR - 1 && probed == $2 " " $3 ? NR - 1 : NR)
}
END { if (phase != "") print phase, first, NR }
