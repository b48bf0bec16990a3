#include "model/recommendedSite.h"

#include "model/log.h"

RecommendedSite::RecommendedSite(const std::string& url_, int weight_) : url(url_), weight(weight_) {
  TRACE_START_ARGS("%s, %d", url_.c_str(), weight_);
  TRACE_END();
}

RecommendedSite::RecommendedSite(const RecommendedSite& other) = default;
RecommendedSite& RecommendedSite::operator=(const RecommendedSite& other) = default;
RecommendedSite::~RecommendedSite() = default;

std::string RecommendedSite::GetURL() const { return url; }
int RecommendedSite::GetWeight() const { return weight; }
void RecommendedSite::SetWeight(int w) { TRACE_STARTEND(); weight = w; }
