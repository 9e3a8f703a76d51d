n = 0
for _ in range(3000000):
    n = n + 1
