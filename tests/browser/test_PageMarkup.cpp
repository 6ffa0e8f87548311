// What the view is given of a page: a small set of elements, explicitly closed, or nothing
// when the page goes past the layout budget.
#include <gtest/gtest.h>

#include "PageMarkup.h"
#include "QtPrint.h"

namespace {

const QString Refused = "(refused)";

QString Reduced(const QString& html) {
  return PageMarkup::Reduced(html).value_or(Refused);
}

}  // namespace

TEST(PageMarkup, PagesReducedToTheBannersElementsWithinBounds) {
  const QString cell = "<table><tr><td>";
  const QString closed = "</td></tr></table>";
  const struct {
    QString page, given;
  } cases[] = {
      {"<p align=center>Hi <b>there</b></p>", "<p align=\"center\">Hi <b>there</b></p>"},
      {"<HTML><Body BGCOLOR=#fff onload=x()><P>a", "<body bgcolor=\"#fff\"><p>a</p></body>"},
      {"a  \n\t b", "a b"},
      {"a &amp; b & c &#x41; &lt; &#12345678;", "a &amp; b &amp; c &#x41; &lt; &amp;#12345678;"},
      // A blank after "<" makes text; the view's own parser would see a tag.
      {"< table>< tr>< td>x", "&lt; table&gt;&lt; tr&gt;&lt; td&gt;x"},
      {"<script>document.write('<b>')</script>x<style>p{}</style><title>t</title>", "x"},
      {"<p>" + QString(PageMarkup::MaxTextChars, 'w'),
       "<p>" + QString(PageMarkup::MaxTextChars, 'w') + "</p>"},
      {"<p>" + QString(PageMarkup::MaxTextChars + 1, 'w'), Refused},
      {"<div><custom a=1>in</custom></div><!-- <b> -->", "<div>in</div>"},
      {"<p>x<img src=\"a.png", "<p>x</p>"},
      {"<img src='a.png' onerror=x() style=\"width:9999px\" width=99999 height=20 border=0>",
       "<img src=\"a.png\" height=\"20\" border=\"0\">"},
      {"<a href='/x?a=1&b=\"2\"'>l</a>", "<a href=\"/x?a=1&amp;b=&quot;2&quot;\">l</a>"},
      {"<table><td>a<td colspan=99999999999>b</table>",
       "<table><tr><td>a</td><td colspan=\"4\">b</td></tr></table>"},
      {"<table>junk<p>no<tr><td>x</td></tr></table>", "<table><tr><td>x</td></tr></table>"},
      {"<td>x</td></tr>", "x"},
      {cell + cell + "x", cell + cell + "x" + closed + closed},
      {cell + cell + cell + "x", Refused},
      {"<table>" + QString("<tr><td>c</td></tr>").repeated(PageMarkup::MaxTableCells) + "</table>",
       "<table>" + QString("<tr><td>c</td></tr>").repeated(PageMarkup::MaxTableCells) + "</table>"},
      {"<table>" + QString("<tr><td>c").repeated(PageMarkup::MaxTableCells + 1), Refused},
      {QString("<div>").repeated(PageMarkup::MaxDepth),
       QString("<div>").repeated(PageMarkup::MaxDepth) +
           QString("</div>").repeated(PageMarkup::MaxDepth)},
      {QString("<div>").repeated(PageMarkup::MaxDepth + 1), Refused},
      {QString("<br>").repeated(PageMarkup::MaxElements),
       QString("<br>").repeated(PageMarkup::MaxElements)},
      {QString("<br>").repeated(PageMarkup::MaxElements + 1), Refused},
  };
  for (const auto& [page, given] : cases)
    EXPECT_EQ(Reduced(page), given) << page.left(80).toStdString();
}
