// The interface through which the network threads reach the controller.
#ifndef PARLAVOX_NETWORK_STATEMACHINE_H
#define PARLAVOX_NETWORK_STATEMACHINE_H

struct S2C_Request;
struct E2C_Request;
typedef struct S2C_Request S2C_Request_t;
typedef struct E2C_Request E2C_Request_t;

class StateMachine {
 public:
  virtual ~StateMachine() {}
  virtual void ConnectionAck(bool ok) = 0;
  virtual void LocalServerUnavailable() = 0;
  virtual void ProcessRequest(E2C_Request_t& request) = 0;
  virtual void ProcessRequest(S2C_Request_t& request) = 0;
};

#endif
