#pragma once

// Menu captions that the main window and the batch window share.
namespace MenuTexts
{

inline constexpr char kFile[] = "&File";
inline constexpr char kExit[] = "&Exit";
inline constexpr char kOptions[] = "&Options";
inline constexpr char kProperties[] = "&Properties";

} // namespace MenuTexts
