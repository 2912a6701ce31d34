// PdfCatalogue: the catalogue as a PDF to hand out, through Qt's PDF writer:
// a title page with the counts, then every book (its cover's thumbnail when
// the content asks for them, its title, author and each other field it
// holds), a page number at the foot of every page, and an
// index of authors with the pages of their books. The text is drawn as text
// in fonts embedded in the file, so a reader finds and selects it. Needs a
// QGuiApplication (fonts); A4 pages.
#pragma once

#include "csv/CatalogueContent.h"

#include <QByteArray>

namespace PdfCatalogue {

QByteArray Write(const TCatalogueContent& content);

} // namespace PdfCatalogue
