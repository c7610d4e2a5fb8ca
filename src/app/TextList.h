// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shiftloom {

/**
 * A list of texts kept end to end in one buffer, with the end of each: the job list of a
 * Card-Warden store holds tens of thousands of lines of some 85 bytes, and one allocation for
 * them all instead of one per line is what lets the list be read and refilled at every tray
 * click without the allocator and fresh pages dominating the fill.
 *
 * Texts are 8-bit bytes; an item is read as a view into the buffer, valid until the list changes.
 */
class TextList final
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const TextList* list, std::size_t index)
            : m_list(list)
            , m_index(index)
        {
        }
        std::string_view operator*() const { return (*m_list)[m_index]; }
        std::string_view operator[](difference_type n) const
        {
            return (*m_list)[m_index + static_cast<std::size_t>(n)];
        }
        const_iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator was = *this;
            ++m_index;
            return was;
        }
        const_iterator& operator--()
        {
            --m_index;
            return *this;
        }
        const_iterator operator--(int)
        {
            const_iterator was = *this;
            --m_index;
            return was;
        }
        const_iterator& operator+=(difference_type n)
        {
            m_index += static_cast<std::size_t>(n);
            return *this;
        }
        const_iterator& operator-=(difference_type n)
        {
            m_index -= static_cast<std::size_t>(n);
            return *this;
        }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return static_cast<difference_type>(a.m_index) - static_cast<difference_type>(b.m_index);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_index == b.m_index; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.m_index <=> b.m_index; }

    private:
        const TextList* m_list = nullptr;
        std::size_t m_index = 0;
    };

    TextList() = default;
    TextList(std::initializer_list<std::string_view> texts)
    {
        for (std::string_view text : texts)
            push_back(text);
    }
    TextList(const TextList& other) { *this = other; }
    TextList& operator=(const TextList& other)
    {
        if (this != &other) {
            clear();
            reserve(other.size(), other.bytes());
            if (other.m_size != 0)
                std::memcpy(m_bytes.get(), other.m_bytes.get(), other.m_size);
            m_size = other.m_size;
            m_ends = other.m_ends;
        }
        return *this;
    }
    TextList(TextList&& other) noexcept { *this = std::move(other); }
    TextList& operator=(TextList&& other) noexcept
    {
        m_bytes = std::move(other.m_bytes);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_ends = std::move(other.m_ends);
        other.m_ends.clear();
        return *this;
    }
    ~TextList() = default;

    std::size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    /** The bytes of every text together. */
    std::size_t bytes() const { return m_size; }

    std::string_view operator[](std::size_t index) const
    {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_bytes.get() + begin, m_ends[index] - begin);
    }
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    void reserve(std::size_t texts, std::size_t bytes)
    {
        m_ends.reserve(texts);
        if (bytes > m_capacity)
            reallocate(bytes);
    }
    void push_back(std::string_view text)
    {
        char* at = append(text.size());
        if (!text.empty())
            std::memcpy(at, text.data(), text.size());
    }
    /**
     * Adds a text of `length` bytes and returns where they are, to be written in place before the
     * list is read again; they are not initialised.
     */
    char* append(std::size_t length)
    {
        if (length > m_capacity - m_size)
            reallocate(std::max(m_size + length, 2 * m_capacity));
        char* at = m_bytes.get() + m_size;
        m_size += length;
        m_ends.push_back(m_size);
        return at;
    }
    void clear()
    {
        m_size = 0;
        m_ends.clear();
    }

    std::vector<std::string> toVector() const { return std::vector<std::string>(begin(), end()); }

    friend bool operator==(const TextList& a, const TextList& b)
    {
        return a.m_ends == b.m_ends && (a.m_size == 0 || std::memcmp(a.m_bytes.get(), b.m_bytes.get(), a.m_size) == 0);
    }

private:
    void reallocate(std::size_t capacity)
    {
        // Not value-initialised: the bytes are written as texts are added.
        auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size != 0)
            std::memcpy(bytes.get(), m_bytes.get(), m_size);
        m_bytes = std::move(bytes);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::vector<std::size_t> m_ends;
};

} // namespace shiftloom
