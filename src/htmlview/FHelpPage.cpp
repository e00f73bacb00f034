// The manual's page: fixed pieces around the news text of the live update.
// Everything here is in the engine's subset: double-quoted attributes, no
// entities but &nbsp;, no tags beyond those the engine knows.
#include "htmlview/FHelp.h"

#include "htmlview/KvPageText.h"
#include "htmlview/OrvaneSite.h"

namespace {

std::string SideHeading(const std::string& text)
{
    return std::string("          <div style=\"") + PageHeadingStyle + "\">" + text + "</div>";
}

std::string Section(const std::string& id, const std::string& title)
{
    return std::string("          <h1 id=\"") + id + "\" style=\"" + PageHeadingStyle + "\">" +
           title + "</h1>";
}

std::string Opening()
{
    return PageStart("#ffffff") + PageBanner(ManualCaption, true) +
           PageLines({
               "      <tr>",
               "        <td "
               "style=\"background-image:url(verbar3);background-repeat:repeat;\"></td>",
               "        <td bgcolor=\"#eeeeee\"></td>",
               "        <td valign=\"top\" bgcolor=\"#eeeeee\">",
               SideHeading("Latest News"),
               "          <p>",
           });
}

std::string SideRest()
{
    return PageLines({
        "          </p>",
        SideHeading("Orvane Manual"),
        "          <p>",
        "            <a href=\"#opening\">Opening TIFF files</a><br>",
        "            <a href=\"#viewing\">Viewing TIFF tags</a><br>",
        "            <a href=\"#structure\">The file's structure</a><br>",
        "            <a href=\"#live\">Live update</a><br>",
        "            <a href=\"#links\">TIFF links</a><br>",
        "            <a href=\"#thanks\">Thank you</a><br>",
        "          </p>",
        SideHeading("Contact"),
        "          <p>",
        "            Information: " + PageMailLink(MailAddress("info")) + "<br>",
        "            Helpdesk: " + PageMailLink(MailAddress("helpdesk")) + "<br>",
        "            Sales: " + PageMailLink(MailAddress("sales")) + "<br>",
        "          </p>",
        "        </td>",
        "        <td bgcolor=\"#eeeeee\"></td>",
        "        <td style=\"background-image:url(verbar3);background-repeat:repeat;\"></td>",
        "        <td></td>",
        "        <td valign=\"top\">",
    });
}

std::string OpeningSection()
{
    return PageLines({
        Section("opening", "Opening TIFF Files"),
        "          <p>TIFF is a container more than a format: a file holds one or more pages, "
        "each described by a directory of tags, and writers choose freely among compressions, "
        "sample layouts, strips or tiles, byte orders and private tags. When a file will not "
        "open, or opens wrongly, in some program, the reason is nearly always in those tags. "
        "Orvane lists them exactly as the file states them, page by page, so you can see what "
        "the file really holds.</p>",
        "          <p style=\"margin-bottom: 0\">There are two ways to open a file:</p>",
        "          <ul style=\"margin-top: 0\">",
        "            <li>open the file with Orvane from the shell: drop it on Orvane.exe or on its "
        "shortcut, or choose Orvane in the file's Open With menu; the file name is the program's "
        "first argument;</li>",
        "            <li>start Orvane and click <b>Browse</b>, which opens a file dialog for "
        "*.tif and *.tiff files next to the button.</li>",
        "          </ul>",
        "          <p>Orvane reads only the header, the directories and the tag values. It never "
        "decodes raster data, so it opens files quickly, however large, and it also shows the "
        "tags of files that other software refuses: unknown compressions, truncated image data "
        "or tags that contradict each other.</p>",
    });
}

std::string ViewingSection()
{
    return PageLines({
        Section("viewing", "Viewing TIFF Tags"),
        "          <p>After a file is opened the list shows the tags of its first page, one row "
        "per "
        "directory entry, in the order of the file. <b>Tag Code</b> is the tag's name when "
        "Orvane knows it (the baseline and extension tags of TIFF 6.0 and many well-known "
        "private tags), otherwise the tag's number in decimal; private tags are listed like any "
        "other. <b>Data Type</b> is the type the entry declares (Byte, ASCII, Short, Long, "
        "Rational and the signed and floating-point types), <b>Count</b> the number of values, "
        "and <b>Value</b> the start of the value as text: numbers, text, or for a few tags such "
        "as Compression and Photometric the name of the value.</p>",
        "          <p>The four arrow buttons below the list go to the first, previous, next and "
        "last "
        "page; the label between them reads, for example, Page 2 of 5. While Orvane is still "
        "walking the chain of pages in the background the total is not shown yet and the last-page "
        "button stays disabled.</p>",
        "          <p><b>View Tag Value</b> shows the complete value of the selected tag as a hex "
        "dump, whatever its length. <b>Copy Tags as Text</b> puts a plain-text dump of the page's "
        "tags on the clipboard, ready to paste into a mail or a bug report.</p>",
        "          <p>The statistics on the right: <b>TIFF file size</b> is the size of the file; "
        "<b>Byte order</b> tells whether the file is little-endian (II, Intel) or big-endian (MM, "
        "Motorola); <b>Number of pages</b> counts the directories in the chain, followed by ... "
        "while counting goes on; <b>Page offset</b> is the position of the page's directory in the "
        "file, in bytes; <b>Page raster data size</b> is the sum of the page's strip or tile byte "
        "counts as its tags state them, and stays empty when those tags are missing or "
        "inconsistent.</p>",
        "          <p>F1 opens this manual from anywhere in the program.</p>",
    });
}

std::string StructureSection()
{
    return PageLines({
        Section("structure", "The File's Structure"),
        "          <p>The <b>Structure</b> tab shows everything the file holds, not only the "
        "pages of its main chain. The tree on the left lists every page with the offset and "
        "entry count of its directory, and below each page the directories it points to: "
        "SubIFD chains, EXIF, GPS and Interoperability directories, nested as the file nests "
        "them. A directory that cannot be read is listed with the reason. In a file of more "
        "than a thousand pages the pages are grouped in ranges of a thousand, which grow while "
        "the pages are still being counted.</p>",
        "          <p>Selecting a directory lists its tags on the right in the same four columns "
        "as on the first tab; <b>View Tag Value</b> and <b>Copy Tags as Text</b> work on the "
        "selected directory.</p>",
        "          <p>Meanwhile Orvane checks the whole file in the background; the line below "
        "the tree shows how far it has got. <b>Problems</b> lists what the check finds, one row "
        "each with its severity, the offset in the file, the directory and the reason with the "
        "rule's name in brackets. <b>Byte Map</b> draws the whole file coloured by what each "
        "byte is: header, directories, tag values, image data, bytes that nothing accounts for "
        "and bytes claimed twice, with the byte count of each class below. Selecting a problem, "
        "or clicking the map, selects the directory and the entry it concerns.</p>",
    });
}

std::string LiveSection()
{
    return PageLines({
        Section("live", "Live update"),
        "          <p>When the viewer starts, Orvane fetches a short text from " + WebUrl("") +
            ": the latest version number, the size of the current installer and a few lines of "
            "news. If the server cannot be reached it tries again every five minutes while the "
            "program runs. The news appears on the About tab and in this manual; the last text "
            "received is kept in the registry, so the news is there at once on the next start, "
            "even without a network.</p>",
        "          <p>When the latest version differs from the running one, Orvane asks once per "
        "run whether to update. If you agree, it downloads the installer and replaces itself; "
        "you can also start the update with the update link on the About tab.</p>",
        "          <p>The request is a plain HTTP GET of one file. It sends no information about "
        "you, "
        "your computer or your files: no identifier, no file names, no usage data.</p>",
    });
}

std::string LinksSection()
{
    return PageLines({
        Section("links", "TIFF Links"),
        "          <p>" +
            PageLink("https://www.itu.int/itudoc/itu-t/com16/tiff-fx/docs/tiff6.pdf",
                     "TIFF Revision 6.0, the format's public definition",
                     "TIFF 6.0 Specification") +
            " (" +
            PageLink("https://download.osgeo.org/libtiff/doc/TIFF6.pdf",
                     "TIFF Revision 6.0, a copy kept by the LibTIFF project", "mirror") +
            ").<br>",
        "          " +
            PageLink("https://www.adobe.io/open/standards/TIFF.html",
                     "TIFF at Adobe, with the supplements to TIFF 6.0", "TIFF at Adobe") +
            ", the owner's page with the supplements to TIFF 6.0.<br>",
        "          " +
            PageLink("https://download.osgeo.org/libtiff/old/TTN2.draft.txt",
                     "Draft TIFF Technical Note 2: replacement JPEG-in-TIFF scheme",
                     "TIFF Technical Note 2") +
            ", the JPEG compression scheme (Compression 7) that replaced the original one.</p>",
        "          <p>" +
            PageLink("https://libtiff.gitlab.io/libtiff/",
                     "LibTIFF, the open-source TIFF library and tools", "LibTIFF") +
            ", the open-source TIFF library, with tiffinfo and tiffdump for the command line.<br>",
        "          " +
            PageLink("https://lists.osgeo.org/mailman/listinfo/tiff",
                     "The TIFF and LibTIFF mailing list", "TIFF mailing list") +
            " and its " + PageLink(MailingListArchiveUrl(), MailingListArchiveTitle, "archive") +
            ".<br>",
        "          " + PageLink(ProductPageUrl(), ProductPageTitle, "Orvane download page") +
            ".</p>",
        "          <p><b>Tip:</b> old-style JPEG files (Compression 6) are the most common reason "
        "for a TIFF file that opens in one program and not in another; Technical Note 2 "
        "explains why. Look for JpegProc and JpegIFOffset in the tag list.</p>",
    });
}

std::string ThanksSection()
{
    return PageLines({
        Section("thanks", "Thank you"),
        "          <p>Thank you for using Orvane. Please send feedback, bug reports or feature "
        "requests to " +
            PageMailLink(FeedbackAddress()) +
            "; a tag dump made with Copy Tags as Text "
            "helps us to understand a problem file. New versions appear on the " +
            PageLink(ProductPageUrl(), ProductPageTitle, "Orvane download page") +
            ", and questions about TIFF itself are welcome on the " +
            PageLink(MailingListArchiveUrl(), MailingListArchiveTitle, "mailing list") + ".</p>",
    });
}

std::string Closing()
{
    return PageLines({
               "        </td>",
               "        <td></td>",
               "        <td "
               "style=\"background-image:url(verbar3);background-repeat:repeat;\"></td>",
           }) +
           PageEnd();
}

}  // namespace

std::string BuildManualPageText(const std::string& latestNews)
{
    return Opening() + latestNews + SideRest() + OpeningSection() + ViewingSection() +
           StructureSection() + LiveSection() + LinksSection() + ThanksSection() + Closing();
}
