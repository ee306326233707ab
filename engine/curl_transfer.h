#pragma once

#include "net_reader.h"

#include <curl/curl.h>

#include <memory>
#include <string>
#include <string_view>

namespace qv::engine {

struct CurlEasyCleanup {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct CurlListCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlMultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlList = std::unique_ptr<curl_slist, CurlListCleanup>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;

//! One HTTP request set up as every request of a stream is: the program's request policy
//! (qv::net::applyRequestPolicy) with http and https, at most NetReader::kMaxRedirects redirects,
//! the stream's proxy and connect time-out; and "ICY 200 OK" taken as a status line. The lists
//! live as long as the handle that points at them.
struct CurlTransfer {
  CurlEasy easy;  // null when curl could not make a handle
  CurlList statusAliases;
  CurlList requestHeaders;

  //! Adds a request header ("Name: value").
  void addHeader(const char* line);
};

CurlTransfer makeTransfer(const std::string& url, const NetOptions& options);

//! The media type of a Content-Type value: lower case, without parameters or blanks.
std::string mediaType(std::string_view contentType);

}  // namespace qv::engine
