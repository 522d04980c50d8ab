#include "core/StringTable.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace orv {
namespace {

struct Entry {
    int id;
    const char* text;
};

// Sorted by number. Texts of the program's own (not shown by earlier versions)
// live at 40000 and above, one block of a hundred per part of the program.
constexpr Entry kTable[] = {
    {128, "ORV\n\nORV\nORV Files (*.ORV)\n.ORV\nORV.Document\nORV Document"},
    {130, "ORV Files (*.ORV)|*.ORV|All Files (*.*)|*.*||"},
    {131, "Open Keyboard Emulation File"},
    {132,
     "The file %1 is not a valid Pelliro keyboard emulation overlay file.\nPlease select another "
     "file."},
    {133, "Invalid character received.\nPlease retry the memory transfer."},
    {135, "Save Memory To File"},
    {136, "Restore Memory From File"},
    {137, "Keyboard emulation file '%1' opened"},
    {138, "Delete File"},
    {139, "Confirm File Delete"},
    {140, "Confirm Multiple File Delete"},
    {141, "Are you sure you want to delete the file '%1'?"},
    {142, "Are you sure you want to delete these %1 files?"},
    {143, "Deleted file '%1'"},
    {144, "Deleted %1 files"},
    {146, "Cleared all keyboard emulation text"},
    {147, "Keyboard emulation file '%1' saved"},
    {148, "&Delete"},
    {149, "&Restore"},
    {150,
     "There are insufficient system resources to open the %1 serial port.\nClose some "
     "applications and select OK to try again."},
    {151, "Unable to open the %1 serial port.\nPlease check communications port option settings."},
    {152, "ORV"},
    {153, "The disk is full.\nPlease insert a new disk to continue the memory transfer."},
    {154, "The file cannot be continued on this disk.\nPlease try another disk.\n\n"},
    {155, "Memory transfer is in progress\n\nPlease wait...."},
    {156, "Memory transfer completed successfully"},
    {157, "Memory transfer aborted"},
    {158, "Communications error.\nPlease check your communications setup."},
    {159, "Communications timeout.\nPlease check your cable connections."},
    {160, "Invalid record received.\nPlease try the memory transfer again."},
    {162, "Please insert the disk containing the continuation file:\n%1"},
    {163, "Transfer from %1 to %2"},
    {164, "disk"},
    {165, "Memory transfer halted by the device.\nPlease try the memory transfer again."},
    {166, "Memory transfer has been cancelled"},
    {167,
     "If you cancel this memory transfer, the contents of %1 will not be complete.\nDo you still "
     "want to cancel this memory save?"},
    {168,
     "If you cancel this memory transfer, the state of your %1 will be uncertain.\nDo you still "
     "want to cancel this memory restore?"},
    {169, "Please re-insert the first disk."},
    {170, "Rename File"},
    {171, "&Rename"},
    {172, "File rename failed"},
    {173, "File '%1' renamed to '%2'"},
    {179, "%1==INCOMPLETE=="},
    {500,
     "In the Corvane toolbox, select the Transfer Memory, Word Prediction or Notebook Menu, and "
     "then select one of the disk Save or Load options.\n\nFor help with your Corvane, refer to "
     "your Operator's Manual."},
    {501,
     "In the Toolbox on your Pelliro, select Save Memory To Disk or Load Memory From Disk.\n\nFor "
     "help with your Pelliro, refer to your Operator's Manual."},
    {502,
     "In the Toolbox on your Drusomi, select Transfer Memory,  then use Next Menu Item to select "
     "Load From Disk or Save To Disk and Change Item to begin the transfer.\n\nFor help with your "
     "Drusomi, refer to your Operator's Manual."},
    {503,
     "In the Toolbox on your Wendrak, press key R1C1, then R1C2 (to save memory) or R1C3 (to "
     "restore memory) and then press Store.\n\nFor help with your Wendrak, refer to your "
     "Operator's Manual."},
    {504,
     "On your Halvetch, hold down the Baud Rate button until you hear one beep to Save Memory to "
     "disk, or until you hear two beeps to Load Memory from disk.\n\nFor help with your Halvetch, "
     "refer to your Operator's Manual."},
    {505,
     "Select the Transfer Memory Menu on your Mirelda and choose one of the available "
     "options.\n\nFor help with your Mirelda, refer to your Operator's Manual."},
    {506,
     "Press the TOOLS key on your Tobrisk to open the TOOLBOX. Select SAVE MEMORY TO DISK or LOAD "
     "MEMORY FROM DISK."},
    {507,
     "In the Quenlow toolbox, select Transfer Memory or Notebook Menu, and then select one of the "
     "Save or Load options.\n\nFor help with your Quenlow, refer to your Operator's Manual."},
    {508,
     "Select the Transfer Memory Menu on your Ostravel and choose one of the available "
     "options.\n\nFor help with your Ostravel, refer to your Operator's Manual."},
    {509,
     "Select the Transfer Memory Menu on your Fennimar and choose one the available options.\n\n"
     "For help with your Fennimar, refer to your operator's manual."},
    {600, "Corvane"},
    {601, "Pelliro"},
    {602, "Drusomi"},
    {603, "Wendrak"},
    {604, "Halvetch"},
    {605, "Mirelda"},
    {606, "Tobrisk"},
    {607, "Quenlow"},
    {608, "Ostravel"},
    {609, "Fennimar"},
    // Tooltips of the overlay editor's buttons (by button ID).
    {1041, "Clear all text fields"},
    {1043, "Close current file"},
    {1044, "Reload file from disk"},
    {1057, "Cancel all changes"},
    // Status-bar prompts of the commands: the prompt, a line break, the tooltip.
    {32770, "Edit keyboard emulation overlay file\nEdit keyboard overlay"},
    {32771, "Select Corvane device"},
    {32772, "Select Pelliro device"},
    {32773, "Select Drusomi device"},
    {32774, "Select Wendrak device"},
    {32775, "Select Halvetch device"},
    {32776, "Select Mirelda device"},
    {32777, "Select Tobrisk device"},
    {32778, "Select Quenlow device"},
    {32779, "Select Ostravel device"},
    {32780, "Select Fennimar device"},
    {32781, "Delete one or more files\nDelete file"},
    {32782, "Save memory to a file\nSave memory"},
    {32783, "Restore memory from a file\nRestore memory"},
    {32784, "Give a file a new name\nRename file"},
    {32785, "Choose the serial port and the baud rate\nPort settings"},
    {32786, "Import icons into a device\nImport Icons"},
    {32788,
     "Icon names may contain only letters (A-Z, a-z), digits (0-9), hyphens (-) and underscores "
     "(_)."},
    {32789, "You must enter a icon name!"},
    {32790, "Icon &Name for "},
    {32791, "Error opening \"Icons to Import.ORV\"."},
    {32792, " is not a 256 color bitmap."},
    {32794, "Bitmap Files (*.bmp;*.rle)|*.bmp; *.rle|All Files (*.*)|*.*||"},
    {32795, "Choose one or more Bitmap files to import"},
    {32796, "Icon names must begin with an alphabetic character."},
    {32797,
     "An error has occurred inside the ORV program.\n\nPlease report the following line to "
     "Tarveline Co:\nLine %1 in %2\n\nAfter you choose OK, the ORV may crash immediately. If it "
     "doesn't, exit the program."},
    {32798, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
    {32799, "Sound File (*.wav)|*.wav|All Files (*.*)|*.*||"},
    {32800, "Choose a .wav Sound file to import"},
    {32801, "Error opening \"Sound File to Import.ORV\"."},
    {32802,
     "This sound file is too big for your communication device.\n            The ORV program "
     "will shorten it for you."},
    // The program's own texts: core and transfer engine (40000-40099).
    {40000, "Error opening file %1."},
    {40001, "The device %1 does not exist. Is the cable or adapter plugged in?"},
    {40002, "The device %1 is in use by another program."},
    {40004, "%1 is not a serial port."},
    {40005, "%1 carries the system console and is never used for memory transfers."},
    {40006, "The device %1 does not accept %2 baud."},
    {40007, "The device %1 could not be set up: %2."},
    {40008,
     "The incomplete memory file could not be renamed to %1.\nIts data has been kept in %2."},
    {40050, "The %1 serial port has gone. Was the adapter unplugged?"},
    // Desktop program (40100-40199).
    {40100, "&File"},
    {40101, "&Restore memory\tCtrl+R"},
    {40102, "&Save memory\tCtrl+S"},
    {40103, "Edit &keyboard overlay\tCtrl+K"},
    {40104, "&Import Icons\tCtrl+I"},
    {40105, "&Delete file"},
    {40106, "Re&name file"},
    {40107, "Recent File"},
    {40108, "E&xit"},
    {40109, "&Options"},
    {40110, "&Device"},
    {40111, "&Port settings..."},
    {40112, "&Help"},
    {40113, "&Help Topics\tF1"},
    {40114, "&About ORV..."},
    {40115, "What's &This?\tShift+F1"},
    {40116, "CAP"},
    {40117, "NUM"},
    {40118, "SCRL"},
    {40120, "About ORV"},
    {40121, "Version 7.01"},
    {40122, "Backs up, restores and imports into speech-generating communication devices."},
    {40123, "Total Physical Memory:"},
    {40124, "System Resources:"},
    {40125, "%1 KB"},
    {40126, "%1%"},
    {40130, "ORV Port Settings"},
    {40131, "&Port"},
    {40132, "Use &Default"},
    {40133, "&Baud Rate"},
    {40134, "*Communications Port"},
    {40135, "&Other serial device:"},
    {40136, "&Add"},
    {40137, "%1 is not a serial device that this computer can open."},
    {40138,
     "%1 cannot be added: each of the port numbers COM1 to COM9 already belongs to another "
     "device."},
    {40140, "Open File: "},
    {40141, "&Save memory to file"},
    {40142, "&Restore memory from file"},
    {40143, "Edit &keyboard overlay file"},
    {40144, "Select the action you want to perform on this file, and then select OK."},
    {40145, "&New file name:"},
    {40146, "Enter the new name for the file, and then select OK."},
    {40150, "Memory Transfer In Progress"},
    {40151, "Bytes transferred:"},
    {40152, "Transfer Rate (kB/s):"},
    {40153, "Cancel"},
    {40154, "OK"},
    {40155, "&Yes"},
    {40156, "&No"},
    {40160, "%1\nThis file does not exist.\nDo you want to create it?"},
    {40170, "The ORV user guide could not be opened.\nIt is the file %1."},
    {40175,
     "What to do on the device to start a memory transfer. Change the device in the Options "
     "menu."},
    {40180, "Memory transfer progress"},
    {40181, "How to start a memory transfer on the device"},
    {40182, "%1 waits for a memory save."},
    {40183, "%1 waits for a memory restore."},
    {40184, "%1 waits for an icon import."},
    {40185, "%1 waits for a sound import."},
    {40186,
     "The file %1 already exists.\nA memory save into it replaces the backup it holds.\nDo you "
     "want to replace it?"},
    {40187, "The name %1 is already taken in this folder.\nPlease choose another name."},
    {40188,
     "No serial port was found on this computer.\n\nConnect the device's cable or USB-serial "
     "adapter and open Port settings again, or type the device's path under Other serial device, "
     "for example /dev/ttyUSB0."},
    {40190, "The device's port %1 has gone. ORV opens it again as soon as it is back."},
    {40191, "The device's port %1 is back."},
    // Media import (40200-40299).
    {40200, "%1 is damaged: its picture has no width or no height."},
    {40201, "%1 is too large to import: its width and height may be at most %2 pixels."},
    {40202, "%1 is damaged: it declares more than 256 colors."},
    {40203, "%1 is damaged: the file ends before all of its colors and pixels have been read."},
    {40204,
     "%1 uses a kind of compression that cannot be imported.\nPlease save it uncompressed or with "
     "RLE8 compression."},
    {40205, "%1 is damaged: a top-down bitmap cannot use RLE8 compression."},
    {40206, "The icon name %1 is too long: an icon name has at most 8 characters."},
    {40210, "Icon Properties"},
    {40211, "&Maintain Aspect Ratio"},
    {40212, "Preview"},
    {40220, "%1 is not a picture that ORV can read. ORV reads %2 pictures."},
    {40221, "%1 is damaged: it cannot be read as a %2 picture."},
    {40222, "&Stretch"},
    {40223, "&Crop to Fill"},
    {40224, "&Dither Colors"},
    {40226, "%1 does not look like a WAV sound. Import it anyway?"},
    {40227, "warning: %1 does not look like a WAV sound; it is sent as it is."},
    {40228, "Pictures (%1)|%1|Bitmap Files (*.bmp;*.rle)|*.bmp; *.rle|All Files (*.*)|*.*||"},
    {40229, "Choose one or more pictures to import"},
    {40230, "Fill the whole icon with the middle of the picture and cut off what sticks out."},
    {40231,
     "Scale the picture smoothly and reduce its colors to the device's by error diffusion "
     "(default: for pictures of more than 256 colors)."},
    {40232,
     "Give each pixel the device color of its own color, as for a 256-color bitmap (default: "
     "for pictures of at most 256 colors)."},
    // Keyboard overlay (40300-40399).
    {40300,
     "The character %1 cannot be stored in a keyboard emulation cell, which holds single-byte "
     "characters only."},
    {40301, "Keyboard emulation overlay file, %1 bytes"},
    {40302, "%1 bytes after the 32nd record are not read."},
    {40303, "Record %1 (cell %2): "},
    {40304, "the file ends inside this record, after %1 of its 139 characters"},
    {40305, "the file ends before this record"},
    {40306, "the record does not start with the letter N"},
    {40307, "the record type does not end in 7"},
    {40308, "the address %1 belongs to cell %2"},
    {40309, "the character %1 at offset %2 is not an upper-case hexadecimal digit"},
    {40310, "the count byte is %1 instead of 42"},
    {40311, "the record type is %1 instead of 07"},
    {40312, "the checksum is %1 but should be %2"},
    {40313, "the checksum %1 is not hexadecimal"},
    {40314, "the record does not end with CR LF"},
    {40315, "the length byte gives %1 bytes, more than 63; 63 are read"},
    {40316, "the length byte gives %1 bytes but the cell's text has %2"},
    {40317, "the cell holds bytes other than zero after its text"},
    {40318, "The program cannot open this file: record %1 is rejected."},
    {40319, "Save As"},
    {40320, "&Save"},
    {40321, "&Close"},
    {40322, "C&lear All"},
    {40323, "&Reload"},
    {40324,
     "One key of the keyboard overlay. Type the text the key sends: up to 63 characters, a new "
     "line counting as one. Ctrl with a letter types a control character."},
    {40325, "Keyboard overlay editor"},
    {40326, "C&ancel"},
    // Simulated device and orv-cli (40400-40499).
    // Demonstration mode (40450-40499).
    {40450, " (simulated device)"},
    {40451,
     "--demo=%1: there is no such device model.\nName one of %2, or give its number 0 to 9."},
    {40452, "The simulated device could not be started: %1."},
    {40453, "Simulated device - %1"},
    {40454, "Simulated %1"},
    {40455,
     "This window stands for the menu of the device itself. On a real %1 you choose these on "
     "the device; it then asks ORV, and ORV answers while its own window is active. No real "
     "device is used."},
    {40456, "The device's menu"},
    {40457, "&Save memory"},
    {40458, "The device sends its whole memory to ORV, which saves it in a file."},
    {40459, "&Load memory"},
    {40460, "The device takes a memory file from ORV; it becomes the device's memory."},
    {40461, "Save as &text"},
    {40462, "The device sends its text to ORV, which saves it as a plain text file."},
    {40463, "Load as te&xt"},
    {40464, "The device takes a text file from ORV; it becomes the device's text."},
    {40465, "Get &icons"},
    {40466, "The device asks ORV for icons to import."},
    {40467, "Get a s&ound"},
    {40468, "The device asks ORV for a sound to import."},
    {40469, "S&top"},
    {40470, "The device stops what it is doing, as if it were switched off."},
    {40471, "Ready. Choose what the device should do."},
    {40472,
     "The device is asking ORV. ORV answers while its window is active; the device repeats its "
     "request until then."},
    {40473, "Sending to ORV: %1 of %2 records"},
    {40474, "Receiving from ORV: %1 records"},
    {40475, "Done: the device sent its %1 records to ORV."},
    {40476, "Done: the device took %1 records from ORV. They are now its memory."},
    {40477, "Done: the device took %1 lines of text from ORV. They are now its text."},
    {40478, "Done: the device took %1 records from ORV."},
    {40479,
     "ORV did not take up the request: no file was chosen, or this device cannot ask for it."},
    {40480, "ORV ended the transfer before it was complete."},
    {40481, "ORV stopped answering, so the device gave up."},
    {40482, "Stopped on the device."},
    {40483, "The transfer failed: %1."},
    {40484, "What the device holds"},
    {40485, "Memory (%1 records)"},
    {40486, "Text (%1 lines)"},
    {40487, "Received (%1 records)"},
    {40488, "&Write memory to file..."},
    {40489, "Write the Device's Memory To File"},
    {40490, "The device's memory could not be written to %1.\n%2"},
    {40491, "The device's memory was written to %1."},
    {40492, "Simulated %1"},
    {40493, "Done, but the device received no records: its memory stays as it was."},
    // Files (40500-40599).
    {40500, "%1 is a folder, not a file."},
    {40501, "%1 is a named pipe, not a file."},
    {40502, "%1 is a socket, not a file."},
    {40503, "%1 is a device, not a file."},
    {40504, "%1 could not be written because its disk is read-only."},
    {40505, "%1 is empty. Restoring it may leave the device with no memory. Restore it anyway?"},
    {40506, "%1 is empty and is not restored: restoring it may leave the device with no memory."},
    // orv-cli inspect (40510-40559).
    {40510, "line %1: %2"},
    {40511, "1 problem"},
    {40512, "%1 problems"},
    {40513, "... and %1 more problems"},
    {40514, "%1 is larger than %2 MiB, far larger than any memory file, and is not read."},
    {40515, "the file is empty: restoring it may leave the device with no memory"},
    {40516, "empty line"},
    {40517, "does not start with a letter"},
    {40518, "binary byte %1 at column %2"},
    {40519, "no line end"},
    {40520, "ends with LF only"},
    {40521, "too long: more than 1023 characters, which a restore sends in pieces"},
    {40522, "count and length disagree: the line ends inside the record"},
    {40523, "count and length disagree: characters after the end of the record"},
    {40524, "checksum failure: %1 where %2 belongs"},
    {40525, "invalid character: lower-case hexadecimal digit %1 at column %2"},
    {40526, "invalid character: %1 at column %2 is not a hexadecimal digit"},
    {40527, "unknown record type %1"},
    {40528, "end-of-transfer mark inside the file"},
    {40529, "memory file, %1 record lines"},
    {40530, ", version record %1"},
    {40531, ", no version record (unversioned)"},
    {40532, "records by type:"},
    {40533, "continuation marker: continues in %1"},
    {40534, "not an icon header record"},
    {40535, "not the one sound header record"},
    {40536, "data record before any header record"},
    {40537, "data record without a sequence number"},
    {40538, "sequence number %1, expected %2"},
    {40539, "unexpected record type %1"},
    {40540, "icon import file, %1 icons"},
    {40541, "sound import file, %1 bytes of sound"},
    {40542, "text file, %1 lines"},
    {40543, "line %1 is longer than 239 bytes and is sent in several records"},
    {40544, "memory file, 1 record line"},
    {40545, "icon import file, 1 icon"},
    {40546, "text file, 1 line"},
    // Command lines (40600-40699).
    {40600, "Usage: orv [OPTION]... [FILE]"},
    {40601,
     "A memory file or keyboard overlay file to open at start-up; it goes first in the File "
     "menu's list of recent files."},
    {40602,
     "Wait DIGIT seconds, 1 to 9, for each answer of the device (default: 3). It counts only as "
     "the very first argument; /d is the same."},
    {40603,
     "Run on a simulated device instead of a real one, with settings of its own that are thrown "
     "away at exit. MODEL is a model's name, its number 0 to 9 or its command ID (default: "
     "Mirelda)."},
    {40604,
     "ORV ended normally, showed this help or its version, or handed FILE to the copy "
     "that was already running."},
    {40605, "ORV could not start: FILE cannot be read, or the simulated device cannot be made."},
    {40606, "ORV opens one file at a time; %1 is one too many."},
    {40610, "Show this help and exit."},
    {40611, "Show the version and exit."},
    {40612,
     "End the options: what follows is taken as it stands, even when it begins with a dash."},
    {40613, "Options:"},
    {40614, "Exit status:"},
    {40615, "The command line is not valid."},
    {40616, "The settings are kept in this file:"},
    {40617, "%1: %2\nTry \"%1 --help\" for the options."},
    {40620, "Usage: orv-cli [OPTION]... COMMAND [ARGUMENT]..."},
    {40621,
     "Runs ORV's transfers without a window, for scripted backups. It reads ORV's settings "
     "(model, port, baud rate) and never writes them; the options override them for one run."},
    {40622, "Commands:"},
    {40623, "Wait for the device to save its memory, and save it into FILE."},
    {40624, "Wait for the device to load its memory, and send it the memory file FILE."},
    {40625,
     "Make each picture an icon named NAME (without one, the start of the file's name), write "
     "them into \"Icons to Import.ORV\" and serve the device's request for icons."},
    {40626,
     "Write the sound WAVFILE into \"Sound File to Import.ORV\" and serve the device's request "
     "for a sound."},
    {40627, "Tell what kind of file FILE is, and everything that is wrong with it."},
    {40628, "Write PICTURE as the device shows it: a 74 x 62 bitmap in the device's colours."},
    {40629, "List the ports as ORV's Port settings lists them."},
    {40630, "List the ten device models and their baud rates."},
    {40631, "Options of save, restore, import-icons and import-sound:"},
    {40632,
     "The device's port: a device path such as /dev/ttyUSB0, or COM1 to COM9 as ORV numbers "
     "them (default: the port chosen in ORV, COM1 at first)."},
    {40633,
     "The device model: its name in any letter case, its number 0 to 9 or its command ID 32771 "
     "to 32780 (default: the model chosen in ORV, Corvane at first)."},
    {40634, "The line's speed, one of %1 (default: the rate chosen in ORV, else the model's own)."},
    {40635, "Wait SECONDS, 1 to 9, for each answer of the device (default: 3)."},
    {40636, "Options of import-icons and convert-icon:"},
    {40637, "Keep the picture's shape and fill the rest of the icon with white."},
    {40638,
     "Stretch the picture over the whole icon (default: ORV's choice of Maintain Aspect Ratio)."},
    {40639, "Option of import-icons and import-sound:"},
    {40640, "Only write the import file and say what it holds; the port is not opened."},
    {40641, "The command completed."},
    {40642,
     "The transfer did not complete, a file could not be read or written, or inspect found "
     "problems."},
    {40643, "The port could not be opened."},
    {40644, "Options may stand before or after the command."},
    {40650, "Your account %1 has no permission to use the device %2."},
    {40651,
     "Members of the group %1 may use it. An administrator adds your account to that group with "
     "the command\n\n    sudo usermod -aG %1 %2\n\nand then you log out and in again."},
    {40652,
     "Your account already belongs to the group %1, whose members may use it, but it joined after "
     "you logged in. Log out and in again."},
    {40653,
     "No group can be recommended for it: the device belongs to %1 and its permissions are %2. "
     "An administrator must give your account access to it."},
    {40660, "ORV user guide"},
    {40661, "&Back"},
    {40662, "&Forward"},
    {40663, "&Contents"},
    {40664, "&Close"},
    {40665,
     "Closing the simulated device ends the demonstration, and ORV with it.\nEnd the "
     "demonstration?"},
    {40666, "serial number %1"},
    {57344, "ORV by Tarveline"},
    {57603, "Save the current file"},
    {57664, "Show the program's version and memory information\nAbout"},
    {57665, "Quit the ORV application\nExit"},
    {57667, "Open the ORV user guide\nHelp Topics"},
    {61475, "Out of memory."},
    {61699, "Save changes to %1?"},
    {61716, "Please enter no more than %1 characters."},
    {61856, "An unexpected error occurred while accessing %1."},
    {61857, "%1 was not found."},
    {61858, "%1 contains an invalid path."},
    {61859, "%1 could not be opened because there are too many open files."},
    {61860, "Access to %1 was denied."},
    {61861, "An invalid file handle was associated with %1."},
    {61865, "%1 could not be accessed because it is in use by another program."},
    {61867, "%1 could not be written because the disk is full."},
    {61868, "An attempt was made to read %1 past its end."},
};

// Strictly: a number used twice would hide one of its texts.
static_assert(std::adjacent_find(std::begin(kTable), std::end(kTable),
                                 [](const Entry& a, const Entry& b) { return a.id >= b.id; }) ==
                  std::end(kTable),
              "the string table must stay sorted by number, each number once");

const Entry* Find(int id) {
    auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                               [](const Entry& e, int key) { return e.id < key; });
    return (it != std::end(kTable) && it->id == id) ? it : nullptr;
}

}  // namespace

std::string LoadString(int id) {
    const Entry* e = Find(id);
    return e ? std::string(e->text) : std::string();
}

bool HasString(int id) {
    return Find(id) != nullptr;
}

std::string InsertArgs(std::string_view text, std::string_view first, std::string_view second) {
    std::string out;
    out.reserve(text.size() + first.size() + second.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[i + 1] == '1' ? first : second;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FormatString(int id, std::string_view first, std::string_view second) {
    return InsertArgs(LoadString(id), first, second);
}

}  // namespace orv
