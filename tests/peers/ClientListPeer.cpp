#include "tests/peers/ClientListPeer.h"

#include <algorithm>
#include <cstdlib>

namespace orv::test {

namespace {

std::string PartText(const RecordedRequest& request, const std::string& name) {
  const FormPart* part = request.Part(name);
  return part ? part->content : std::string();
}

int PartInt(const RecordedRequest& request, const std::string& name, int def) {
  const FormPart* part = request.Part(name);
  return part && !part->content.empty() ? std::atoi(part->content.c_str()) : def;
}

int AttrInt(const WebServerClient& client, const char* name) {
  auto it = client.find(name);
  return it == client.end() ? 0 : std::atoi(it->second.c_str());
}

std::string Attr(const WebServerClient& client, const char* name) {
  auto it = client.find(name);
  return it == client.end() ? std::string() : it->second;
}

// The bound value "%keyword%" as a plain keyword (its escapes undone).
std::string Unbound(const std::string& value) {
  std::string inner = value;
  if (inner.size() >= 2 && inner.front() == '%' && inner.back() == '%')
    inner = inner.substr(1, inner.size() - 2);
  std::string out;
  for (size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '\\' && i + 1 < inner.size()) ++i;
    out += inner[i];
  }
  return out;
}

// Upload field name to the list's attribute name.
const std::pair<const char*, const char*> kUploadFields[] = {
    {"vendor_type", "vendor_type"},     {"group_idx", "group_idx"},
    {"group_biz_num", "group_biz_num"}, {"title", "title"},
    {"com_name", "com_name"},           {"ceo_name", "ceo_name"},
    {"ceo_tel", "ceo_tel"},             {"jumin_num", "jumin_num"},
    {"biz_reg_num", "biz_reg_num"},     {"biz_cate", "biz_cate"},
    {"biz_item", "biz_item"},           {"email", "email"},
    {"tel", "tel"},                     {"mobile", "mobile"},
    {"website", "website"},             {"fax", "fax"},
    {"province", "province"},           {"addr1", "addr1"},
    {"addr2", "addr2"},                 {"postal_code", "postal_code"},
    {"country", "country"},             {"shipping_addr", "shipping_address"},
    {"shipping_addr2", "shipping_address2"}, {"shipping_post", "shipping_post"},
    {"manager", "manager"},             {"manager_tel", "manager_tel"},
    {"manager_pos", "manager_pos"},     {"manager_job", "manager_job"},
    {"bank_name", "bank_name"},         {"bank_acc_num", "bank_acc_num"},
    {"bank_user", "bank_user"},         {"notes", "notes"},
    {"reg_date", "reg_date"},
};

}  // namespace

ClientListPeer::ClientListPeer(WebServerPeer& web, std::string memberToken)
    : token_(std::move(memberToken)) {
  web.On("POST", kListPath, [this](const RecordedRequest& request) { return List(request); });
  web.On("POST", kUploadPath, [this](const RecordedRequest& request) { return Upload(request); });
}

void ClientListPeer::SetClients(std::vector<WebServerClient> clients) {
  std::lock_guard<std::mutex> lock(mutex_);
  clients_ = std::move(clients);
  for (const WebServerClient& client : clients_) lastIdx_ = std::max(lastIdx_, AttrInt(client, "idx"));
}

std::vector<WebServerClient> ClientListPeer::Clients() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return clients_;
}

std::string ClientListPeer::EscapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string ClientListPeer::ListXml(const std::vector<WebServerClient>& clients, int totalCount) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<data err=\"0\"><items total_cnt=\"" +
                    std::to_string(totalCount) + "\">";
  for (const WebServerClient& client : clients) {
    xml += "<item";
    for (const auto& [name, value] : client) xml += " " + name + "=\"" + EscapeXml(value) + "\"";
    xml += "/>";
  }
  return xml + "</items></data>";
}

PeerReply ClientListPeer::List(const RecordedRequest& request) {
  PeerReply reply;
  reply.contentType = "text/xml; charset=utf-8";
  if (token_.empty() || PartText(request, "tk") != token_) {
    reply.status = 403;
    return reply;
  }
  const std::string condition = PartText(request, "s_by");
  if (!condition.empty() && condition != kBoundSearch) {
    reply.status = 400;
    reply.body = "<data err=\"-1\"><error num=\"1\" msg=\"bad search\"/></data>";
    return reply;
  }
  const std::string keyword = condition.empty() ? std::string() : Unbound(PartText(request, "s_val"));
  const int kind = PartInt(request, "vendor_type", 0);
  const int page = std::max(1, PartInt(request, "page", 1));
  const int count = std::max(1, PartInt(request, "cnt", 1000));
  std::vector<WebServerClient> matching;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const WebServerClient& client : clients_) {
      if (kind > 0 && AttrInt(client, "vendor_type") != kind) continue;
      if (!keyword.empty()) {
        bool found = false;
        for (const char* field : {"title", "com_name", "biz_reg_num", "tel", "mobile"})
          found = found || Attr(client, field).find(keyword) != std::string::npos;
        if (!found) continue;
      }
      matching.push_back(client);
    }
  }
  std::stable_sort(matching.begin(), matching.end(),
                   [](const WebServerClient& a, const WebServerClient& b) {
                     const int ka = AttrInt(a, "vendor_type"), kb = AttrInt(b, "vendor_type");
                     if (ka != kb) return ka < kb;
                     return Attr(a, "com_name") < Attr(b, "com_name");
                   });
  const size_t first = static_cast<size_t>(page - 1) * static_cast<size_t>(count);
  std::vector<WebServerClient> pageRows;
  for (size_t i = first; i < matching.size() && pageRows.size() < static_cast<size_t>(count); ++i)
    pageRows.push_back(matching[i]);
  reply.body = ListXml(pageRows, static_cast<int>(matching.size()));
  return reply;
}

PeerReply ClientListPeer::Upload(const RecordedRequest& request) {
  PeerReply reply;
  reply.contentType = "text/xml; charset=utf-8";
  if (token_.empty() || PartText(request, "tk") != token_) {
    reply.status = 403;
    return reply;
  }
  const bool deleting = PartInt(request, "_del_mode", 0) != 0;
  std::string ids;
  int added = 0, removed = 0, confirmed = 0;
  std::lock_guard<std::mutex> lock(mutex_);
  for (int n = 1; request.Part("idx_" + std::to_string(n)); ++n) {
    const std::string suffix = "_" + std::to_string(n);
    const int idx = PartInt(request, "idx" + suffix, 0);
    auto stored = std::find_if(clients_.begin(), clients_.end(), [idx](const WebServerClient& c) {
      return idx > 0 && AttrInt(c, "idx") == idx;
    });
    if (deleting) {
      if (stored == clients_.end()) continue;
      clients_.erase(stored);
      ++removed;
    } else {
      WebServerClient* client = nullptr;
      if (stored != clients_.end()) {
        client = &*stored;
      } else {
        clients_.push_back({{"idx", std::to_string(++lastIdx_)}});
        client = &clients_.back();
        ++added;
      }
      for (const auto& [field, attr] : kUploadFields)
        if (const FormPart* part = request.Part(field + suffix)) (*client)[attr] = part->content;
      ids += std::to_string(n) + ":" + (*client)["idx"] + ";";
      ++confirmed;
      continue;
    }
    ids += std::to_string(n) + ":" + std::to_string(idx) + ";";
    ++confirmed;
  }
  reply.body = "<data del_cnt=\"" + std::to_string(removed) + "\" add_cnt=\"" +
               std::to_string(added) + "\" up_cnt=\"0\" redundant_cnt=\"0\" mod_ok_cnt=\"" +
               std::to_string(confirmed) + "\" mod_ok_ids=\"" + ids +
               "\" redundant_ids=\"\"><error num=\"0\" cnt=\"0\" msg=\"ok\"/><results/></data>";
  return reply;
}

}  // namespace orv::test
