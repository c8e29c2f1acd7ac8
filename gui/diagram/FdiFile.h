#pragma once
// The formatted diagram file (.fdi): a laid-out, styled diagram with the drawing options, written
// and read back so a diagram reopens as it was drawn. Text with CR LF line ends, one item (a key and
// its values) after another, separated by ';'.

#include "DrawNetwork_Diagramm.h"
#include "Network_Diagramm.h"

#include <string>

// The file's text for `diagram` and `options`. Node references are written as node labels; a ';'
// inside a text is written as ',' so the file reads back.
std::string FdiText(const TNetwork_Diagramm& diagram, const TDrawOptions& options);

// Creates or overwrites `fileName`. False with `error` set when the file cannot be written.
bool WriteFdiFile(const TNetwork_Diagramm& diagram, const std::string& fileName,
                  const TDrawOptions& options, std::string* error = nullptr);

// Reads `fileName` into `diagram` (cleared first). Options the file holds replace those in
// `options`; the others keep the caller's values. Shows the reader's messages; false after an
// error, with the diagram keeping what was read and `options` unchanged. A file in which no line
// begins with an item of the format (a plain text, a binary file) is refused as no diagram.
bool ReadFdiFile(TNetwork_Diagramm& diagram, const std::string& fileName, TDrawOptions& options);
