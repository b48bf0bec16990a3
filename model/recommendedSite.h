// A site that the server recommends together with another one.
#ifndef PARLAVOX_MODEL_RECOMMENDEDSITE_H
#define PARLAVOX_MODEL_RECOMMENDEDSITE_H

#include <wx/object.h>

#include <string>

class Config;

class RecommendedSite : public wxObject {
 public:
  RecommendedSite(const std::string& url, int weight);
  RecommendedSite(const RecommendedSite& other);
  RecommendedSite& operator=(const RecommendedSite& other);
  ~RecommendedSite() override;

  std::string GetURL() const;
  int GetWeight() const;
  void SetWeight(int weight);

 private:
  friend class Config;
  std::string url;
  int weight;
};

#endif
