#include "gui/storedPreferences.h"

#include "model/config.h"

StoredPreferences StoredPreferences::From(const Config& config) {
  StoredPreferences p;
  p.noActivity = config.GetNoActivityTimer();
  p.proxyHost = config.GetProxyHost();
  p.proxyPort = config.GetProxyPort();
  p.defaultStatus = config.GetDefaultStatus();
  p.rememberClose = config.GetRememberClose();
  p.close = config.GetClose();
  p.visibleOnStart = config.IsVisibleOnStart();
  p.retryOnFailure = config.GetRetryOnFailure();
  p.proxy = config.GetProxyStatus();
  p.alwaysTop = config.GetAlwaysTopStatus();
  p.autoConnect = config.GetAutoConnectStatus();
  p.filePort = config.GetFilePort();
  return p;
}

void StoredPreferences::StoreInto(Config& config) const {
  config.SetNoActivityTimer(noActivity);
  config.SetProxyHost(proxyHost);
  config.SetProxyPort(proxyPort);
  config.SetDefaultStatus(defaultStatus);
  config.SetRememberClose(rememberClose);
  config.SetClose(close);
  config.SetVisibleOnStart(visibleOnStart);
  config.SetRetryOnFailure(retryOnFailure);
  config.SetProxyStatus(proxy);
  config.SetAlwaysTopStatus(alwaysTop);
  config.SetAutoConnectStatus(autoConnect);
  config.SetFilePort(filePort);
}
