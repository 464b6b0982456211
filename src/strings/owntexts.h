#pragma once

// Ids of the texts the program adds beyond the original string table: menu titles and
// captions the table has no string for, port problems, status lines and refusals. They sit in
// the same table and follow the language the same way: Texts::lang(id) gives the Italian text
// at the id and the English one at id + LangOffset. Placeholders %1, %2, ... are filled with
// QString::arg.
namespace vantelso::own {

// Menu titles and captions.
inline constexpr int MenuView = 101;
inline constexpr int MenuAction = 102;
inline constexpr int MenuHelp = 103;
inline constexpr int Start = 104;
inline constexpr int Stop = 105;
inline constexpr int SystemInfo = 106;
inline constexpr int TripDelay = 107;
inline constexpr int TripDirection = 108;
inline constexpr int Relay = 109;
inline constexpr int HighSpeed = 110;
inline constexpr int ResponseTime = 111;
inline constexpr int OverRange = 112;

// Port problems: %1 the port; %2 the system's reason (121), the group (123) or the owner
// (124, with %3 the mode).
inline constexpr int PortMissing = 120;
inline constexpr int PortCannotOpen = 121;
inline constexpr int PortBusy = 122;
inline constexpr int PortNeedsGroup = 123;
inline constexpr int PortPermissionDenied = 124;
inline constexpr int PortDisconnected = 125;
inline constexpr int NoPortChosen = 126;

// The connection panel's status line: %1 the addresses (131) or the port (133).
inline constexpr int WrittenVerified = 130;
inline constexpr int VerifyDiffers = 131;
inline constexpr int ReadIncomplete = 132;
inline constexpr int NoAnswer = 133;

// A write refused for fields that hold no number: %1 the field, %2 what it holds; then the
// hint.
inline constexpr int NotANumber = 140;
inline constexpr int NumberEmpty = 141;
inline constexpr int NumbersHint = 142;

// Configuration files: %1 the file, %2 the system's reason (160, 161) or the file's size in
// bytes (162, with %3 the record's size). 163 follows a failed save. 164 and 165 name a type
// code the connected model does not offer: %1 the channel, %2 the type as 166 (%1 the code)
// or 167 (%1 the name, %2 the code).
inline constexpr int FileCannotOpen = 160;
inline constexpr int FileCannotWrite = 161;
inline constexpr int NotConfigFile = 162;
inline constexpr int ConfigNotSaved = 163;
inline constexpr int KeptInputType = 164;
inline constexpr int KeptOutputType = 165;
inline constexpr int TypeCode = 166;
inline constexpr int TypeNamed = 167;

// The measurement window and its CSV log: %1 the log file, %2 the system's reason.
inline constexpr int LogCsv = 170;
inline constexpr int LogDialogTitle = 171;
inline constexpr int LogFilter = 172;
inline constexpr int LogOpenFailed = 173;
inline constexpr int LogWriteFailed = 174;
inline constexpr int TrendTitle = 175;
inline constexpr int MeasureStatus = 177;

// The switch guide: the zero/span lists of an input without range switches, and the
// refusals of a zero or span default typed by the user.
inline constexpr int NoRange = 180;
inline constexpr int NoDefaultHere = 181;
inline constexpr int DefaultNotANumber = 182;
inline constexpr int DefaultTooLarge = 183;
// A default refused because another device command was waiting; the third bank a short
// switch reply does not carry; a value the switches set in place of the record's.
inline constexpr int DefaultBusy = 184;
inline constexpr int ThirdBankNotRead = 185;
inline constexpr int SetBySwitches = 186;
// The editor's note under a channel the switches set: %1 what they set ("Tc K 0 ÷ 190 °C").
inline constexpr int SwitchNote = 196;

// Compare with a file: the menu item and window, its columns (with 72 "Channel" and 73
// "Device"), and its summaries: %1 the device's model, %2 the file (207, 208) with %3 the
// number of fields that differ; 209 %1 the file's model, %2 the fields compared; 210 %1 the
// file's version.
inline constexpr int MenuCompare = 201;
inline constexpr int CompareTitle = 203;
inline constexpr int ColumnField = 204;
inline constexpr int ColumnFile = 205;
inline constexpr int ColumnUnit = 206;
inline constexpr int CompareEqual = 207;
inline constexpr int CompareDiffer = 208;
inline constexpr int CompareOtherModel = 209;
inline constexpr int CompareOtherVersion = 210;
inline constexpr int ColumnValue = 211;
// The configuration report: %1 the port (214), the file (215, 219, 225); %2 the system's
// reason (219).
inline constexpr int MenuReport = 202;
inline constexpr int ReportTitle = 212;
inline constexpr int ReportDate = 213;
inline constexpr int ReportFromDevice = 214;
inline constexpr int ReportFromFile = 215;
inline constexpr int ReportSwitches = 216;
inline constexpr int ReportNoSwitches = 217;
inline constexpr int ReportFilter = 218;
inline constexpr int ReportNotWritten = 219;
inline constexpr int ReportWholeDevice = 220;
inline constexpr int ReportIdentity = 224;
inline constexpr int ReportSaved = 225;
// Field names and values both use.
inline constexpr int Decimals = 221;
inline constexpr int On = 222;
inline constexpr int Off = 223;

// The communication log window: %1 the file, %2 the system's reason (235).
inline constexpr int CommLogTitle = 230;
inline constexpr int CommLogRecord = 231;
inline constexpr int CommLogSave = 232;
inline constexpr int CommLogClear = 233;
inline constexpr int CommLogFilter = 234;
inline constexpr int CommLogSaveFailed = 235;

// Reconnecting after an adapter was pulled: %1 the port; %2 and %3 the model that answers now
// and the one that answered before (245).
inline constexpr int Reconnect = 240;
inline constexpr int AutoReconnect = 241;
inline constexpr int PlugInAgain = 242;
inline constexpr int AdapterBack = 243;
inline constexpr int Reconnected = 244;
inline constexpr int DeviceChanged = 245;

// Production records: the Registro window (286..288 are lists separated by "|": the columns,
// the kinds of run, the outcomes), the database failures (%1 the database, %2 its reason,
// %3 the fallback file; 291: %1 the unit, %2 the database, %3 its reason, %4 the fallback
// file, %5 why that failed too), the calibration certificate (293, 294 lists as above), 295
// %1 a generated unit id, 298 %1 a file and %2 the system's reason, 299 %1 the runs shown.
inline constexpr int RegistroTitle = 280;
inline constexpr int RegistroUnit = 281;
inline constexpr int RegistroSince = 282;
inline constexpr int RegistroRefresh = 283;
inline constexpr int RegistroExport = 284;
inline constexpr int RegistroCertificate = 285;
inline constexpr int RegistroColumns = 286;
inline constexpr int RunKinds = 287;
inline constexpr int RunOutcomes = 288;
inline constexpr int RecordsCannotOpen = 289;
inline constexpr int RecordsCannotWrite = 290;
inline constexpr int RecordsLost = 291;
inline constexpr int CertificateTitle = 292;
inline constexpr int CertificateFields = 293;
inline constexpr int CertificateSteps = 294;
inline constexpr int UnitIdGenerated = 295;
inline constexpr int CsvFilter = 296;
inline constexpr int RegistroAllUnits = 297;
inline constexpr int FileNotWritten = 298;
inline constexpr int RegistroCount = 299;
// The bench instruments, naming a port that failed to open ("Multimetro: ..."); the message
// that shows it adds the reason after a colon.
inline constexpr int BenchSupply = 260;
inline constexpr int BenchCalibrator = 261;
inline constexpr int BenchMeter = 262;
inline constexpr int BenchSwitch = 263;

// Ids 101..199 are the first block, 201..299 the second; English at the same +300 (401..499,
// 501..599), read through Texts::lang like every other id.
// One language at a time, nothing stale, a safe exit: the link's closed port (134), the
// status line after a save (135, %1 the file) and with no port open (137), the device box
// before any device answered (136).
inline constexpr int PortNotOpen = 134;
inline constexpr int SavedTo = 135;
inline constexpr int NoDevice = 136;
inline constexpr int NoAnswerNoPort = 137;
// Exit with edits neither written nor saved, and its buttons; the message boxes' own
// buttons (OK reads the same in both languages, Save is 54).
inline constexpr int UnsavedEdits = 143;
inline constexpr int ButtonDiscard = 144;
inline constexpr int ButtonCancel = 145;
inline constexpr int ButtonRetry = 146;
inline constexpr int ButtonAbort = 147;
inline constexpr int ButtonIgnore = 148;
inline constexpr int ButtonYes = 149;
inline constexpr int ButtonNo = 151;
// %1 the manual's file name, %2 the folders looked in.
inline constexpr int ManualNotFoundIn = 152;
inline constexpr int ConfigFilter = 153;
inline constexpr int OnlyDifferences = 154;
// The measurement window: stale values, its state, the CSV log (%1 the file, %2 its lines),
// the time axis and the lamps (%1 the trip's number).
inline constexpr int MeasureStale = 155;
inline constexpr int MeasureStopped = 156;
inline constexpr int MeasureRunning = 157;
inline constexpr int LogLines = 158;
inline constexpr int LogGoOn = 159;
inline constexpr int TimeAxis = 178;
inline constexpr int TripLamp = 179;
inline constexpr int AlarmLamp = 227;
inline constexpr int NotLogging = 228;
// The program window's title with the file it shows (%1).
inline constexpr int ProgramWithFile = 229;
// The switch guide's captions that the original gives in English only.
inline constexpr int SwitchInputType = 236;
inline constexpr int SwitchOutputType = 237;
inline constexpr int SwitchMultiplier = 238;
inline constexpr int SelectDevice = 239;
inline constexpr int WizardOpen = 246;
inline constexpr int WizardBack = 247;
inline constexpr int ChannelA = 248;
inline constexpr int ChannelB = 249;
inline constexpr int SwitchOption = 252;
inline constexpr int SwitchSpan = 253;
// The switch window's title; the English one is the original's.
inline constexpr int SwitchTitle = 254;
// The system-information tool's absence (the Italian text is the original's).
inline constexpr int SystemInfoMissing = 250;
// The communication log's line for a reply the link held back.
inline constexpr int CommLogHeld = 251;

// Ids 101..199 are the first block, 201..299 the second, 601..699 the third; English at the
// same +300 (401..499, 501..599, 901..999), read through Texts::lang like every other id. The
// table is a hash by id, so the third block needs no room reserved between the others; it
// must only stay below the brand blocks at 1000.

} // namespace vantelso::own
