// The maker's site as the program links to it and fetches from it (the host
// is the build's, see product/OrvaneProduct.h).
#pragma once

#include <string>

#include "product/OrvaneProduct.h"

inline constexpr char MakerName[] = "Kestrova";
inline constexpr char MakerSlogan[] = "Imaging tools that show what is inside";
inline constexpr char LiveUpdatePath[] = "/imaging/tiff/orvane/liveupdate.txt";
inline constexpr char InstallerPath[] = "/imaging/tiff/orvane/installer.exe";
inline constexpr char ProductPagePath[] = "/imaging/tiff/orvane.html";
inline constexpr char MailingListArchivePath[] = "/imaging/tiff/tml.html";
inline constexpr char ProductPageTitle[] = "Orvane, a free TIFF Tag Viewer for Windows";
inline constexpr char MailingListArchiveTitle[] = "TIFF and LibTiff Mailing List Archive";

inline std::string WebUrl(const std::string& path)
{
    return std::string("http://") + WebHost + path;
}

inline std::string HomePageUrl()
{
    return WebUrl("/");
}

inline std::string ProductPageUrl()
{
    return WebUrl(ProductPagePath);
}

inline std::string MailingListArchiveUrl()
{
    return WebUrl(MailingListArchivePath);
}

// Mail goes to the site's domain, without a leading "www.".
inline std::string MailAddress(const std::string& mailbox)
{
    std::string domain = WebHost;
    if (domain.rfind("www.", 0) == 0)
        domain.erase(0, 4);
    return mailbox + "@" + domain;
}

inline std::string FeedbackAddress()
{
    return MailAddress("orvane");
}
