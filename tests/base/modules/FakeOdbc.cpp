// A library that takes the driver manager's name but offers none of its
// functions, for the test of a machine without unixODBC.
extern "C" int zel_fake_odbc() { return 0; }
