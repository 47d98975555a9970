#pragma once
// Thrown where a file is of a kind the readers at hand leave to others (Qt's, for pictures that
// need converting): a caller without those readers hands the whole work to the program that
// has them. Not a std::exception, so that no handler of file failures takes it for one.
struct OtherReaderNeeded {};
