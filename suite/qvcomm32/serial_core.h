/* The port behind an exported GFSerial: what its members do, as plain C
 * functions, so that the class in the suite's ABI and the code behind it
 * meet on a convention both compilers share. */
#ifndef QVCOMM_SERIAL_CORE_H
#define QVCOMM_SERIAL_CORE_H

struct SerialPort;

extern "C" {
/* Never null: a port that failed to open keeps the error for GetCommError. */
SerialPort* SerialOpen(const char* name, unsigned short rxQueue, unsigned short txQueue);
/* Closes the port if still open, then frees it. */
void SerialFree(SerialPort* port);
int SerialGetChar(SerialPort* port, char* dst, int wait);
int SerialPutChar(SerialPort* port, char c);
int SerialGetCommError(SerialPort* port, unsigned short* detail);
int SerialSetHandShake(SerialPort* port, const char* mode);
int SerialSetUp(SerialPort* port, long baud, char parity, int dataBits, int stopBits);
int SerialPutString(SerialPort* port, const char* text, int mode);
unsigned SerialGetBuffer(SerialPort* port, unsigned char* dst, unsigned max);
int SerialRXCount(SerialPort* port);
int SerialRXFlush(SerialPort* port);
int SerialTXFlush(SerialPort* port);
int SerialDtr(SerialPort* port, int on);
int SerialStatus(SerialPort* port);
int SerialCarrier(SerialPort* port);
void SerialDelay(unsigned long ms);
int SerialOnIdle(SerialPort* port);
int SerialWaitForInput(SerialPort* port, unsigned long ms, int wakeOnMessages);
int SerialClose(SerialPort* port);
}

#endif
