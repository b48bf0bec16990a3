// The process-wide start-up and clean-up of the TLS library: what the application calls, apart
// from the connection object (which needs the message schema).
#ifndef PARLAVOX_NETWORK_SSLLIBRARY_H
#define PARLAVOX_NETWORK_SSLLIBRARY_H

// Process-wide OpenSSL start-up and clean-up.
void init_openssl();
void clean_openssl();
// Ignores SIGPIPE for the whole process.
void sigpipe_conf();

#endif
