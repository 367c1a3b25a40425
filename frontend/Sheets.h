#pragma once

class QWidget;

namespace quorlex {

class PolicySet;
class PropertySheet;
class Prompts;
class UiLanguage;
class Viewers;
struct ProgramSettings;

// The three property sheets of the main window. Each is a child of `owner`, which owns it.

// The markup sheet: "Quorling options" (the removals, whose check boxes depend on each other,
// see below) and "Tag manipulations", editing `policies`.
//
// On the first page, with A "Remove all tags", B "Remove all HTML tags" and C "Remove all
// non-HTML tags": B and C are enabled only while A is off; the individual HTML removals only
// while neither A nor B is on; "Keep deprecated tags" only while those are enabled and
// "Remove non-standard tags" is on ("Keep deprecated tag attributes" likewise with "Remove
// non-standard tag attributes"); the x-tags and Microsoft Office boxes only while neither A
// nor C is on. Clicking A sets every other box to A's new value but clears the two "Keep
// deprecated" boxes; clicking B sets the individual removals to B's value and clears the two
// "Keep deprecated" boxes; clicking C sets the x-tags and Office boxes to C's value. Every box
// so set counts as touched.
PropertySheet* MakeMarkupSheet(PolicySet& policies, UiLanguage& language, ProgramSettings& settings,
                               QWidget* owner);

// The text sheet: "Text formatting", "Headers and footers", "Hyperlinks and Images" and
// "Tables", one group of the text policies a page.
PropertySheet* MakeTextSheet(PolicySet& policies, UiLanguage& language, ProgramSettings& settings,
                             QWidget* owner);

// "Program Settings": the "Drag'n'Drop" page (what follows a start with files) and the
// "Viewers" page (viewer commands and the URL prefix). When the sheet opens, an empty
// browser command shows the detected browser and an empty text-viewer command the desktop's
// text viewer; they are stored only when touched.
PropertySheet* MakeSettingsSheet(ProgramSettings& settings, Viewers& viewers, Prompts& prompts,
                                 UiLanguage& language, QWidget* owner);

}  // namespace quorlex
