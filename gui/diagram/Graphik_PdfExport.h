#pragma once
// The PDF export of the drawing window: the diagram redrawn at page resolution (one pixel per
// tenth of a millimetre) on a working copy, then written as a one-page PDF.

#include "DrawNetwork_Diagramm.h"
#include "Network_Diagramm.h"

#include <QImage>
#include <QSize>

#include <string>

// The picture of `diagram` fitted to a page of `page` pixels. The diagram itself is not changed.
QImage RenderDiagramPage(const TNetwork_Diagramm& diagram, const TDrawOptions& options, QSize page);

// Renders the diagram for an A4 landscape page and writes it to `fileName`. False with `error`
// set when the file cannot be written.
bool SaveDiagramToPdf(const TNetwork_Diagramm& diagram, const TDrawOptions& options,
                      const std::string& fileName, std::string* error);
