import sys

sys.setrecursionlimit(10000)
summe = 0


def fib(n):
    global summe
    if n < 2:
        summe = summe + n
    else:
        fib(n - 1)
        fib(n - 2)


fib(24)
