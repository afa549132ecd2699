#include <iterator>

#include "commands.h"

namespace cli {
namespace {

const CommandInfo kCommands[] = {
    {"list", "list",
     "Every supported camera: its handle (what --device takes), vendor, product and release\n"
     "from the device descriptor stored in its flash, and chip id.",
     RunList},
    {"info", "info",
     "Chip id and variant, firmware version, manufacturer, serial number, custom serial number,\n"
     "system information, device information, encoder record version.",
     RunInfo},
    {"get", "get NAME [INDEX] | get --all",
     "Reads a setting (names: `tandrel get --help`). INDEX for encoder-profile and\n"
     "encoder-stream-caps. --all reads every readable setting that takes no index.",
     RunGet},
    {"set", "set NAME VALUE...",
     "Writes a setting; every value is checked against the setting's range first.", RunSet},
    {"xu", "xu get UNIT SELECTOR LENGTH | xu set UNIT SELECTOR HEX",
     "Raw extension-unit access. The library reaches unit 0 only: UNIT must be 0.", RunXu},
    {"reg", "reg read ADDR [COUNT] | reg write ADDR VALUE",
     "32-bit chip registers; COUNT reads consecutive registers 4 bytes apart.", RunReg},
    {"pll", "pll", "Starts the chip's PLL when it is not running.", RunPll},
    {"reset", "reset", "Resets the chip.", RunReset},
    {"usb-boot", "usb-boot [MODE]",
     "Switches the chip into USB boot (MODE, default 0); asks first unless --yes.", RunUsbBoot},
    {"flash",
     "flash read OFFSET LENGTH -o FILE | flash erase | flash write FILE [--offset N] | flash "
     "verify FILE [--offset N]",
     "The 128 KiB serial flash. write programs FILE (the range must be erased); Ctrl-C stops it\n"
     "between packets and says how far it got. verify compares the flash with FILE.",
     RunFlash},
    {"update", "update IMAGE [--force] [--dry-run] [--manufacturer TEXT]",
     "The whole ZEL download as the updater performs it: manufacturer kept, erase checked,\n"
     "written and verified (the device-descriptor page last), chip reset. Only a newer image\n"
     "is written unless --force; --dry-run checks and reports without touching the camera.\n"
     "A camera whose update was interrupted after the erase has lost its device descriptor and\n"
     "its manufacturer name: --manufacturer TEXT gives the name to carry ('' for none).",
     RunUpdate},
    {"events", "events",
     "Prints the camera's auto-update notifications as they arrive, until Ctrl-C.", RunEvents},
};

}  // namespace

const CommandInfo* CommandsBegin() { return std::begin(kCommands); }
const CommandInfo* CommandsEnd() { return std::end(kCommands); }

}  // namespace cli
