#pragma once
#include <memory>
#include <string>

#include "sim/SimHtmlDocument.h"

// Reads a page of ours, written in a small subset of HTML, into a page in memory for the
// news parser:
// - The text is UTF-8; a byte-order mark at the start is skipped.
// - Elements are written <name attributes>...</name>, or <name attributes/> when empty.
//   Names are letters and digits, compared without case. Every element is closed by its
//   own name, innermost first; nothing is closed implicitly (write <br/>, not <br>).
// - Attributes are name="value", name='value' or a bare name. id and href are kept, the
//   others are read and dropped. An element named a is an anchor; its href is kept as
//   written (nothing is resolved against the page's address).
// - Text between tags belongs to the enclosing element. The references &amp; &lt; &gt;
//   &quot; &apos;, &#decimal; and &#xhex; are decoded; any other & stays as it is.
// - <!-- comments --> and <!DOCTYPE ...> declarations are skipped.
// - At most 1 MiB of text and 64 nested elements.
// The result is a "#document" element whose children are the top-level elements; null, with
// error naming the line, on the first fault.
std::unique_ptr<CSimHtmlElement> ReadSimHtml(const std::string& text, std::string& error);
std::unique_ptr<CSimHtmlElement> ReadSimHtmlFile(const std::string& path, std::string& error);
