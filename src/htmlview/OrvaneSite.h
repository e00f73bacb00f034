// The maker's site as the program links to it and fetches from it. The host
// is a build setting (ORVANE_WEB_HOST); its default is a reserved name that
// never resolves, so a build made without it never reaches anyone's server.
#pragma once

#include <string>

#ifndef ORVANE_WEB_HOST
#error ORVANE_WEB_HOST comes from the build (CMake cache variable of the same name)
#endif

inline constexpr char WebHost[] = ORVANE_WEB_HOST;
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
