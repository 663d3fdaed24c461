// The thin layer over the operating system. On Windows each function is the
// Win32 call it names; on Linux it is a small implementation of our own that
// behaves as that call does wherever the module depends on it.
#ifndef CBQ_PLATFORM_PLATFORM_H
#define CBQ_PLATFORM_PLATFORM_H

// Initialises the component-object library for the calling thread
// (OleInitialize with a null argument on Windows, nothing on Linux). The
// result is not reported: the module does not depend on it.
void platformInitComponents();

#endif  // CBQ_PLATFORM_PLATFORM_H
