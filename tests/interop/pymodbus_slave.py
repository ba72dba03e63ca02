#!/usr/bin/python3
"""A Modbus RTU slave built on pymodbus, for interoperability tests.

usage: pymodbus_slave.py PORT BAUD UNIT

Holding registers 0..199 start at zero except:
  10 = 0xFFCE (-50), 20..21 = 0x12345678, 30..31 = 23.5 as a single.
"""
import logging
import struct
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.framer.rtu_framer import ModbusRtuFramer
from pymodbus.server import StartSerialServer


def main():
    port, baud, unit = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    values = [0] * 200
    values[10] = 0xFFCE
    values[20], values[21] = 0x1234, 0x5678
    hi, lo = struct.unpack(">HH", struct.pack(">f", 23.5))
    values[30], values[31] = hi, lo
    block = ModbusSequentialDataBlock(0, values)
    slave = ModbusSlaveContext(hr=block, zero_mode=True)
    context = ModbusServerContext(slaves={unit: slave}, single=False)
    logging.basicConfig(level=logging.WARNING)
    print("ready", flush=True)
    StartSerialServer(context=context, framer=ModbusRtuFramer, port=port,
                      baudrate=baud, bytesize=8, parity="N", stopbits=1)


if __name__ == "__main__":
    main()
