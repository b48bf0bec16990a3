#include "network/sslLibrary.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/log.h"

void init_openssl() {
  TRACE_START();
  OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
  ERR_print_errors_fp(stdout);
  sigpipe_conf();
  TRACE_END();
}

void clean_openssl() {
  TRACE_START();
  // OpenSSL 3 keeps its own locks and releases its state at exit.
  ERR_clear_error();
  TRACE_END();
}

void sigpipe_conf() {
  TRACE_START();
  TRACE_INFO("Ignore SIGPIPE");
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  if (sigaction(SIGPIPE, &action, nullptr) != 0) {
    fprintf(stderr, "Erreur %d \n", errno);
    exit(EXIT_FAILURE);
  }
  TRACE_END();
}
