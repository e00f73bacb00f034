#include "HttpGet.h"

TGetResult HttpGet(TKvHttpClient& client, const std::string& url, const TKvEvent* abort)
{
    TGetResult r;
    client.SetUrl(url, r.FCode, r.FText);
    if (r.FCode == ErrOk)
        client.Connect(r.FCode, r.FText);
    if (r.FCode == ErrOk)
        client.SendLine("GET " + client.Path() + " HTTP/1.1\r\nHost: " + client.Host() + "\r\n",
                        r.FCode, r.FText);
    if (r.FCode == ErrOk)
        client.ReceiveHeader(abort, r.FCode, r.FText);
    if (r.FCode == ErrOk)
        client.ReceiveBody(abort, r.FCode, r.FText);
    r.FStatus = client.StatusCode();
    for (const TKvBodyBlock* b = client.Body().FirstBlock(); b; b = b->FNext)
        r.FBody.append(b->FData, b->FUsed);
    return r;
}

std::ostream& operator<<(std::ostream& out, const TGetResult& r)
{
    return out << "{code " << r.FCode << ", '" << r.FText << "', body '" << r.FBody << "', status "
               << r.FStatus << "}";
}
