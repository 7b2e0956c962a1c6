#pragma once

// The skin pictures' numbers (skin/NNN.png), named once for the widgets, the graph, the window and
// skingen. A control that shows states uses consecutive numbers from the first one listed here (first +
// Value); push buttons have their pressed look at number + 1. Plain C++, no Qt.
namespace korva::skinnumbers {

// The numbers a skin may use; skin/ holds no others.
constexpr int kFirstPicture = 101;
constexpr int kLastPicture = 400;

// Numbers the program's code relies on.
constexpr int kMainBackground = 101;
constexpr int kDefaultButton = 102;
constexpr int kThumb = 175;
constexpr int kMarkerBand = 176; // + band 0..14
constexpr int kMarkerHighCut = 191;
constexpr int kMarkerLowCut = 192;
constexpr int kMarkerBandSelected = 193; // + band 0..14
constexpr int kMarkerHighCutSelected = 208;
constexpr int kMarkerLowCutSelected = 209;
constexpr int kToneThumb = 218;
constexpr int kMasterTrack = 220;
constexpr int kToneTrack = 221;
constexpr int kDigit0 = 223; // + digit 0..9
constexpr int kBalanceThumb = 241;
constexpr int kBalanceThumbCentre = 242;
constexpr int kBalanceTrackSurround = 243;
constexpr int kBalanceTrackMain = 244;
constexpr int kKnobTrackFreq = 245;
constexpr int kKnobTrackDb = 246;
constexpr int kKnobTrackQ = 247;
constexpr int kLimitTrack = 272;
constexpr int kDecimalPoint = 295;
constexpr int kMinus = 296;
constexpr int kGraphBackground = 297;
constexpr int kEffectTrack = 298;
constexpr int kEffectTrackVertical = 299;
constexpr int kVolumeTrack = 317;
constexpr int kVolumeThumb = 318;
constexpr int kBypassOverlay = 321;
constexpr int kMasterFill = 322;
constexpr int kEffectFill = 323;
constexpr int kKnobFill = 324;
constexpr int kHighCutPoint = 395; // + Value 0/1 (396 selected)

// Numbers chosen by the skin.
constexpr int kTitleStrip = 103;
constexpr int kClose = 104;
constexpr int kModeMusic = 106; // btnMode(0); the four channel buttons take two numbers each
constexpr int kModeMic = 108;
constexpr int kModeEffect = 110;
constexpr int kModeBass = 112;
constexpr int kChannelIndicator = 114;
constexpr int kGroupUp = 115;
constexpr int kGroupDown = 117;
constexpr int kGroupDisplay = 119; // MODEL 1..8
constexpr int kPointLeft = 127;
constexpr int kPointRight = 129;
constexpr int kPointDisplay = 131; // 35 states
constexpr int kLineAbove = 166;
constexpr int kLineBelow = 168;
constexpr int kBypass = 170;
constexpr int kReset = 172;
constexpr int kGridBackground = 174;
constexpr int kPanelShow = 210;
constexpr int kFbx = 212; // FBX OFF, FBX 1..3
constexpr int kFbxUp = 216;
constexpr int kNumberBack = 219;
constexpr int kFbxDown = 233;
constexpr int kLock = 235;
constexpr int kSave = 237;
constexpr int kImport = 239;
constexpr int kUpload = 248;
constexpr int kUndo = 250;
constexpr int kRedo = 252;
constexpr int kLinkState = 254;       // 0 offline .. 6 online
constexpr int kStartGroup = 261;      // MDL1..MDL8
constexpr int kPanelBackground = 269; // + panel 0..2
constexpr int kInput = 273;           // IN1..IN7
constexpr int kInputDown = 280;
constexpr int kInputUp = 282;
constexpr int kStartGroupDown = 284;
constexpr int kStartGroupUp = 286;
constexpr int kSaveAuto = 288;
constexpr int kSaveManual = 290;
constexpr int kModeKa = 292;
constexpr int kPointNumberBack = 294;
constexpr int kModePa = 300;
constexpr int kRoutingButtons = 325; // MyButton(i): 325 + 2i, two states each
constexpr int kPointButtons = 341;   // btnShowDot1(c): 341 + 2c, two states each

} // namespace korva::skinnumbers
